// CRichEditCtrl: the log panel's text control.
#pragma once

#include "platform/window.h"

// The log panel; used through the generic window-text operations only.
class CRichEditCtrl : public CWnd {};
