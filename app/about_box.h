// The About box: the program's name, version and where it comes from.
#pragma once

#include "platform/command_table.h"
#include "platform/dialog.h"

class CAboutBox : public CDialog {
 public:
  CAboutBox();

  DECLARE_MESSAGE_MAP()
};
