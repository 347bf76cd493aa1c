#pragma once
// The number in a serial port's name, as the loggers report it: every "com" (any letter case)
// removed and the rest read as a decimal number; 0 when nothing or no number is left
// ("COM7" gives 7, "/dev/ttyACM0" gives 0).
#include <QString>

int PortNumberOfName(const QString& name);
