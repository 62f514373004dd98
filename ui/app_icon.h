#pragma once

#include <QIcon>

// The application's icon: the one the application object carries, or, when it has none, a
// plain one drawn here so that windows never go without an icon.
QIcon AppIcon();
