#pragma once
// System.ini: ten hand-edited technical settings, read once at start-up. The
// key names and defaults come from the system data's ini-key records; the
// file only overrides them. The player never writes the file.
//
// Byte rules of the reader: a key ends at '='; carriage returns, spaces and
// tabs inside a key are dropped; a line feed ends a line without a value
// (a line "Exit" ends the file successfully); a NUL in a key position ends
// the file successfully. A value ends at a space, tab, '/', line feed or NUL
// (a carriage return stays in it). What follows a value on the same line is
// read as a further key line and, having no '=', ignored: "/" starts a
// comment. A file that ends before "Exit" or a NUL counts as unreadable.
#include <cstdint>
#include <string>

#include "base/Containers.h"

class cIniKey;

struct sIniSettings {
  int32_t Direct3D = 0;         // 0 DirectDraw, 1 Direct3D, 2+ ask with the launch dialog
  int32_t WindowMode = 0;       // 0 full screen, 1 window, 2 resizable window (Direct3D)
  int32_t Bpp = 0;              // 0: chosen at start-up
  int32_t VSync = 0;            // 0 off, 1 on, 2+ automatic
  int32_t D3D_FontCache = 0;    // cache mode of fonts asking for the setting, Direct3D
  int32_t DD_FontCache = 0;     // the same, DirectDraw
  int32_t DD_VideoStretch = 0;  // forced to 0 on an 8-bit screen
  int32_t ShowFps = 0;          // 0 none, 2 plain text, other values a framed box
  int32_t English = 0;          // English texts in the dialogs and the ranking box
  std::string FreeStage;        // start file; at most kMaxPath - 1 bytes
};

// The program-wide settings.
extern sIniSettings IniSettings;

namespace ini {
constexpr int kKeys = 10;
constexpr size_t kMaxPath = 260;
// Key and value buffers hold at most this many bytes; longer text is cut.
constexpr size_t kMaxText = 2047;
constexpr int kMaxLines = 10000;
}  // namespace ini

// Fields 0..7 from records 0..7, FreeStage from record 8's text, English 0.
void LoadSystemIniDefaults(sIniSettings& settings, const cVector<cIniKey>& keys);
// 1 when the file was read to "Exit", a NUL or the line limit; 0 when it
// cannot be opened or ends too early (fields read so far stay changed).
int32_t LoadSystemIni(const std::string& path, sIniSettings& settings, const cVector<cIniKey>& keys);
// The same on bytes already read.
int32_t ParseSystemIni(const unsigned char* data, size_t size, sIniSettings& settings, const cVector<cIniKey>& keys);
// C atoi without its overflow: leading blanks, a sign, digits; saturates at the int32 range.
int32_t IniAtoi(const std::string& text);
