#pragma once

#include <QFont>

// The forms were laid out for a narrow 11-pixel sans serif; wider faces clip captions such as
// "Easy Mode", so narrow metric-compatible faces come before the desktop's default.
QFont FormFont();
