#include "app/about_box.h"

#include "resources/resource.h"

CAboutBox::CAboutBox() : CDialog(IDD_ABOUTBOX) {}

// OK reaches the base dialog's OK handling, which closes the box.
BEGIN_MESSAGE_MAP(CAboutBox, CDialog)
END_MESSAGE_MAP()
