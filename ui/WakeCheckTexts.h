// The wake check's words: each check's name, what it found and what to do, and how a test
// wake-up went. The check window and `resvman check-wake` say the same.
#pragma once

#include "engine/WakeCheck.h"

#include <QString>

namespace WakeCheckTexts {

QString checkName(WakeFinding::Check check);
QString verdictName(WakeVerdict verdict);
// What the check found, in a sentence or two; facts give the names and times it tells.
QString found(WakeFinding const& finding, WakeFacts const& facts);
// What to do about it; "" when nothing is to be done.
QString advice(WakeFinding const& finding);
// How a test wake-up ended, in a sentence: the history's words when it slept, otherwise why
// nothing was tested.
QString testResult(TestWakeResult const& result, double now);

} // namespace WakeCheckTexts
