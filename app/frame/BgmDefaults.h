#pragma once
// The music manager's start with its default tunes, shared by start-up and
// the options (music switched on again).

// The music manager with one channel and the five default tunes
// (bgm\Title.ogg and bgm\Title.mid first); 0 when it cannot start.
int InitBgmManager();
