#pragma once

#include <QIcon>

// The application's icon (also installed beside the .desktop file), compiled into the program.
QIcon AppIcon();
