#include "data/DataPaths.h"

#include "base/Log.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

const char* const PathTable[kPathTableSize] = {
    "data\\",  // 0
    "default\\",  // 1
    "data\\stg4\\old_ver\\",  // 2
    "data\\work\\",  // 3
    "e_data\\EditConfig.dat",  // 4
    "data\\PrjOption.dat",  // 5
    "default\\PrjOption.dat",  // 6
    "data\\CommonPalette.cplt4",  // 7
    "default\\CommonPalette.cplt4",  // 8
    "data\\GValInfo.dat",  // 9
    "default\\GValInfo.dat",  // 10
    "data\\stg4\\Default.stg4_***",  // 11
    "default\\stg4\\Default.stg4_***",  // 12
    "data\\WorldMap.dat",  // 13
    "default\\WorldMap.dat",  // 14
    "data\\database\\AnimeSet.dat",  // 15
    "default\\database\\AnimeSet.dat",  // 16
    "data\\database\\Anime.dat",  // 17
    "default\\database\\Anime.dat",  // 18
    "data\\database\\Bmp_CharaExc.dat",  // 19
    "default\\database\\Bmp_CharaExc.dat",  // 20
    "data\\database\\SwordType.dat",  // 21
    "default\\database\\SwordType.dat",  // 22
    "data\\database\\Effect.dat",  // 23
    "default\\database\\Effect.dat",  // 24
    "data\\database\\CharaEffect.dat",  // 25
    "default\\database\\CharaEffect.dat",  // 26
    "data\\database\\ScrEffect.dat",  // 27
    "default\\database\\ScrEffect.dat",  // 28
    "data\\database\\Picture.dat",  // 29
    "default\\database\\Picture.dat",  // 30
    "data\\database\\Sound.dat",  // 31
    "default\\database\\Sound.dat",  // 32
    "data\\database\\Bgm.dat",  // 33
    "default\\database\\Bgm.dat",  // 34
    "data\\System.dat",  // 35
    "default\\System.dat",  // 36
    "data\\stg4\\c",  // 37
    "user_data\\story\\",  // 38
    "user_data\\challenge\\",  // 39
    "user_data\\free\\",  // 40
    "user_data\\story\\Story",  // 41
    "user_data\\challenge\\Challenge.dat",  // 42
    "user_data\\Option.dat",  // 43
    "user_data\\",  // 44
    "user_data\\KeyConfig.dat",  // 45
    "user_data\\Boot.dat",  // 46
    "user_data\\Window.dat",  // 47
};

const char* const ExtTable[kExtTableSize] = {"cplt4", "stg4", "plt4", "rkg"};

const char* const FontFaceTable[kFontFaceTableSize] = {
    "System",
    "Terminal",
    "FixedSys",
    "Roman",
    "Script",
    "Modern",
    "Small Fonts",
    "MS Serif",
    "WST_Czec",
    "WST_Engl",
    "WST_Fren",
    "WST_Germ",
    "WST_Ital",
    "WST_Span",
    "WST_Swed",
    "Courier",
    "MS Sans Serif",
    "Marlett",
    "Arial",
    "Arial CE",
    "Arial CYR",
    "Arial Greek",
    "Arial TUR",
    "Arial Baltic",
    "Courier New",
    "Courier New CE",
    "Courier New CYR",
    "Courier New Greek",
    "Courier New TUR",
    "Courier New Baltic",
    "Lucida Console",
    "Lucida Sans Unicode",
    "Times New Roman",
    "Times New Roman CE",
    "Times New Roman CYR",
    "Times New Roman Greek",
    "Times New Roman TUR",
    "Times New Roman Baltic",
    "Wingdings",
    "Symbol",
    "Verdana",
    "Arial Black",
    "Comic Sans MS",
    "Impact",
    "Georgia",
    "Franklin Gothic Medium",
    "Palatino Linotype",
    "Tahoma",
    "Trebuchet MS",
    "Webdings",
    "Estrangelo Edessa",
    "Gautami",
    "Latha",
    "Mangal",
    "MV Boli",
    "Raavi",
    "Shruti",
    "Tunga",
    "Sylfaen",
    "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E",  // ＭＳ ゴシック
    "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",  // ＭＳ Ｐゴシック
    "MS UI Gothic",
    "\x82\x6C\x82\x72 \x96\xBE\x92\xA9",  // ＭＳ 明朝
    "\x82\x6C\x82\x72 \x82\x6F\x96\xBE\x92\xA9",  // ＭＳ Ｐ明朝
    "Microsoft Sans Serif",
    "Gulim",
    "GulimChe",
    "Dotum",
    "DotumChe",
    "Batang",
    "BatangChe",
    "Gungsuh",
    "GungsuhChe",
    "SimSun",
    "NSimSun",
    "SimSun-PUA",
    "SimHei",
    "MingLiU",
    "PMingLiU",
    "Arial Narrow",
    "Book Antiqua",
    "Bookman Old Style",
    "Century",
    "Century Gothic",
    "Garamond",
    "MS Outlook",
    "HG\xBA\xDE\xBC\xAF\xB8" "E",  // HGｺﾞｼｯｸE
    "HGP\xBA\xDE\xBC\xAF\xB8" "E",  // HGPｺﾞｼｯｸE
    "HGS\xBA\xDE\xBC\xAF\xB8" "E",  // HGSｺﾞｼｯｸE
    "HG\x8A\xDB\xBA\xDE\xBC\xAF\xB8M-PRO",  // HG丸ｺﾞｼｯｸM-PRO
    "HG\x91\x6E\x89\x70\x8A\x70\xBA\xDE\xBC\xAF\xB8UB",  // HG創英角ｺﾞｼｯｸUB
    "HGP\x91\x6E\x89\x70\x8A\x70\xBA\xDE\xBC\xAF\xB8UB",  // HGP創英角ｺﾞｼｯｸUB
    "HGS\x91\x6E\x89\x70\x8A\x70\xBA\xDE\xBC\xAF\xB8UB",  // HGS創英角ｺﾞｼｯｸUB
    "HG\x91\x6E\x89\x70\x8A\x70\xCE\xDF\xAF\xCC\xDF\x91\xCC",  // HG創英角ﾎﾟｯﾌﾟ体
    "HGP\x91\x6E\x89\x70\x8A\x70\xCE\xDF\xAF\xCC\xDF\x91\xCC",  // HGP創英角ﾎﾟｯﾌﾟ体
    "HGS\x91\x6E\x89\x70\x8A\x70\xCE\xDF\xAF\xCC\xDF\x91\xCC",  // HGS創英角ﾎﾟｯﾌﾟ体
    "HG\x90\xB3\x9E\xB2\x8F\x91\x91\xCC-PRO",  // HG正楷書体-PRO
    "InMusicSym",
    "Kartika",
    "Vrinda",
    "\x83\x81\x83\x43\x83\x8A\x83\x49",  // メイリオ
    "MT Extra",
    "HG\xBA\xDE\xBC\xAF\xB8M",  // HGｺﾞｼｯｸM
    "HGP\xBA\xDE\xBC\xAF\xB8M",  // HGPｺﾞｼｯｸM
    "HGS\xBA\xDE\xBC\xAF\xB8M",  // HGSｺﾞｼｯｸM
    "HG\x8D\x73\x8F\x91\x91\xCC",  // HG行書体
    "HGP\x8D\x73\x8F\x91\x91\xCC",  // HGP行書体
    "HGS\x8D\x73\x8F\x91\x91\xCC",  // HGS行書体
    "HG\x8B\xB3\x89\xC8\x8F\x91\x91\xCC",  // HG教科書体
    "HGP\x8B\xB3\x89\xC8\x8F\x91\x91\xCC",  // HGP教科書体
    "HGS\x8B\xB3\x89\xC8\x8F\x91\x91\xCC",  // HGS教科書体
    "HG\x96\xBE\x92\xA9" "B",  // HG明朝B
    "HGP\x96\xBE\x92\xA9" "B",  // HGP明朝B
    "HGS\x96\xBE\x92\xA9" "B",  // HGS明朝B
    "HG\x96\xBE\x92\xA9" "E",  // HG明朝E
    "HGP\x96\xBE\x92\xA9" "E",  // HGP明朝E
    "HGS\x96\xBE\x92\xA9" "E",  // HGS明朝E
    "HG\x91\x6E\x89\x70\xCC\xDF\xDA\xBE\xDE\xDD\xBD" "EB",  // HG創英ﾌﾟﾚｾﾞﾝｽEB
    "HGP\x91\x6E\x89\x70\xCC\xDF\xDA\xBE\xDE\xDD\xBD" "EB",  // HGP創英ﾌﾟﾚｾﾞﾝｽEB
    "HGS\x91\x6E\x89\x70\xCC\xDF\xDA\xBE\xDE\xDD\xBD" "EB",  // HGS創英ﾌﾟﾚｾﾞﾝｽEB
    "OCRB",
    "Sydnie",
    "",
};

const char* GetFontFace(int index) {
  if (index < 0 || index >= kFontFaceTableSize) return FontFaceTable[kFontFaceTableSize - 1];
  return FontFaceTable[index];
}

// データが存在しません！デフォルトデータを作成しますか？\n
const char* const kDefaultDataQuestion =
    "\x83\x66\x81\x5B\x83\x5E\x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9\x82\xF1\x81\x49"
    "\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67\x83\x66\x81\x5B\x83\x5E\x82\xF0\x8D\xEC\x90\xAC"
    "\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48\n";
// デフォルトデータ作成の確認
const char* const kDefaultDataCaption =
    "\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67\x83\x66\x81\x5B\x83\x5E\x8D\xEC\x90\xAC\x82\xCC\x8A\x6D\x94\x46";
// 「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。
const char* const kDefaultDataFailed =
    "\x81\x75" "data\x81\x76\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x81\x63\n"
    "\x81\x75" "default\x81\x76\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xC9\x96\xE2\x91\xE8\x82\xAA\x82\xA0\x82\xE9"
    "\x89\xC2\x94\x5C\x90\xAB\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42";

namespace {
// Sibling of the data folder that receives the copy until it is complete.
const char* const kPartialData = "data.partial\\";
}  // namespace

bool CreateDefaultData() {
  if (platform::IsFolder(PathTable[PATH_DATA])) return true;
  if (!platform::IsFolder(PathTable[PATH_DEFAULT])) return false;
  if (MessageBoxSafe(kDefaultDataQuestion, kDefaultDataCaption, platform::MB_YESNO) != platform::IDYES) return false;

  // A leftover of an interrupted earlier copy is ours to discard.
  if (platform::PathExists(kPartialData) && !platform::RemoveFolderTree(kPartialData)) return false;
  if (platform::CopyFolderTree(PathTable[PATH_DEFAULT], kPartialData) &&
      platform::RenamePath(kPartialData, PathTable[PATH_DATA]))
    return true;
  platform::RemoveFolderTree(kPartialData);
  return false;
}
