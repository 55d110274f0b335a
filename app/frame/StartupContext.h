#pragma once
// Points the data readers' program-wide read context and the save data's
// context at the program-wide records (start-up calls it after each load
// that changes what they consult).
void FillStartupReadContext();
