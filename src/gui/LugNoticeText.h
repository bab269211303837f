#pragma once

#include <QString>

namespace tomaro {

class Tuner;

// The lug panel's notice line of the window "Настройка": why the head's target or search range
// cannot be used, a centre strike asked for, taps paused, or what became of the last tap ("винт
// 3: нет тона в полосе винта"); empty when there is nothing to say. Its texts belong to the
// window's translation context. User-interface thread only.
QString lugNoticeText(const Tuner& tuner);

}  // namespace tomaro
