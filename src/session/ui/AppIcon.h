#pragma once

#include <QIcon>

// The program's icon, painted rather than shipped so it is sharp at every size.
QIcon AppIcon();
