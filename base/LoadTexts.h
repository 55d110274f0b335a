#pragma once
// "%s の読み込みに失敗しました！": the message of a data or sound file that
// cannot be read (code page 932). Its one copy.
inline constexpr const char* kFileLoadFailed =
    "%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49";
