#pragma once

#include <QIcon>

// The program icon at every size a window draws it in: the Windows icon's 16
// and 32 pixel images, and larger drawings for scaled screens (a 16 pixel
// title bar icon takes the 32 pixel image at 200 %, a 32 pixel one the 64).
QIcon programIcon();
