// The process list's insertion index.
#pragma once

// The row at which a fill inserts next. Only a refresh sets it back to 0.
extern int g_nextRow;
