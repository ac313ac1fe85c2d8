// The About box: the program's name, version and where it comes from.
#pragma once

#include "platform/window.h"

class CAboutBox : public CDialog {
 public:
  CAboutBox();

  DECLARE_MESSAGE_MAP()
};
