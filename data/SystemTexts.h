#pragma once
// Texts of a new project's system data (code page 932), shared by the
// defaults and the upgrade of older files.

namespace systemtext {
inline constexpr const char* kScore = "\x83\x58\x83\x52\x83\x41";  // スコア
inline constexpr const char* kLivesUnit = "\x90\x6C";              // 人
inline constexpr const char* kAutoSave = "\x83\x49\x81\x5B\x83\x67\x83\x5A\x81\x5B\x83\x75";  // オートセーブ
inline constexpr const char* kAutoSaveOn =
    "\x83\x49\x81\x5B\x83\x67\x83\x5A\x81\x5B\x83\x75\x82\x6E\x82\x6D";  // オートセーブＯＮ
inline constexpr const char* kAutoSaveOff =
    "\x83\x49\x81\x5B\x83\x67\x83\x5A\x81\x5B\x83\x75\x82\x6E\x82\x65\x82\x65";  // オートセーブＯＦＦ
// 保存先が不明です！一度は「セーブ」して下さい！
inline constexpr const char* kNoSaveSlot =
    "\x95\xDB\x91\xB6\x90\xE6\x82\xAA\x95\x73\x96\xBE\x82\xC5\x82\xB7\x81\x49\x88\xEA\x93\x78\x82\xCD\x81\x75\x83\x5A"
    "\x81\x5B\x83\x75\x81\x76\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2\x81\x49";
inline constexpr const char* kHpLeft = "\x8E\x63\x82\xE8" "HP";  // 残りHP
inline constexpr const char* kSpLeft = "\x8E\x63\x82\xE8" "SP";  // 残りSP
inline constexpr const char* kRetry = "\x83\x8A\x83\x67\x83\x89\x83\x43";  // リトライ
inline constexpr const char* kBackToMap = "\x83\x7D\x83\x62\x83\x76\x82\xD6\x96\xDF\x82\xE9";  // マップへ戻る
}  // namespace systemtext
