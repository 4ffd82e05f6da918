#pragma once

#include "study/AnswerLog.h"
#include "study/WordStateView.h"

// The word states the scheduler reads and the log its answers go to, in one (as History is).
class StudyHistory : public WordStateView, public AnswerLog
{};
