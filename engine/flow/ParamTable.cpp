#include "engine/flow/ParamTable.h"

#include <cmath>
#include <iterator>

#include "data/FlowCmd.h"

cVector<cVector<ParamDesc>> ParamTable;

namespace {

// Where a row's parameter lives: a move field, a shot field, or integer
// parameter n (kInt + n).
enum Loc {
  kMoveTargetXBl,
  kMoveTargetXDot,
  kMoveTargetYBl,
  kMoveTargetYDot,
  kMoveAngle,
  kMoveAngleStep,
  kMoveSlow,
  kMoveSlowStep,
  kMoveDistance,
  kMoveDistanceStep,
  kShotGraphic,
  kShotZ,
  kShotForm1,
  kShotForm2,
  kShotForm3,
  kShotCount,
  kShotClones,
  kShotAngle,
  kShotAngleInc,
  kShotAngleRand,
  kShotOfsX,
  kShotOfsXInc,
  kShotOfsY,
  kShotOfsYInc,
  kShotFaction,
  kShotMove1,
  kShotMove2,
  kShotMove3,
  kShotSpeed,
  kShotSpeedInc,
  kShotAccel,
  kShotAccelInc,
  kShotRange,
  kShotRangeInc,
  kShotLife,
  kShotLifeInc,
  kShotVanish,
  kShotPower,
  kShotImpact,
  kInt = 1000
};
constexpr int Int(int n) { return kInt + n; }

struct RowSpec {
  int kind;
  const char* label;
  int32_t min, max;
  int loc;
};

// The rows of every kind, in row order within a kind. Formation and movement
// rows carry 0..0: their ranges come from the tables below.
const RowSpec kRows[] = {
    {2, "\x96\xDA\x95WX(bl)", -640, 640, kMoveTargetXBl},  // 目標X(bl)
    {2, "\x96\xDA\x95WX(dot)", -640, 640, kMoveTargetXDot},  // 目標X(dot)
    {2, "\x96\xDA\x95WY(bl)", -640, 640, kMoveTargetYBl},  // 目標Y(bl)
    {2, "\x96\xDA\x95WY(dot)", -640, 640, kMoveTargetYDot},  // 目標Y(dot)
    {2, "\x8Ap\x93x", -7200, 7200, kMoveAngle},  // 角度
    {2, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x91\x9D\x89\xC1\x8Ap\x93x", -7200, 7200, kMoveAngleStep},  // 分身値による増加角度
    {5, "\x96\xDA\x95WX(bl)", -640, 640, kMoveTargetXBl},  // 目標X(bl)
    {5, "\x96\xDA\x95WX(dot)", -640, 640, kMoveTargetXDot},  // 目標X(dot)
    {5, "\x96\xDA\x95WY(bl)", -640, 640, kMoveTargetYBl},  // 目標Y(bl)
    {5, "\x96\xDA\x95WY(dot)", -640, 640, kMoveTargetYDot},  // 目標Y(dot)
    {5, "\x8Ap\x93x", -7200, 7200, kMoveAngle},  // 角度
    {5, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x91\x9D\x89\xC1\x8Ap\x93x", -7200, 7200, kMoveAngleStep},  // 分身値による増加角度
    {6, "\x97U\x93\xB1\x90\xAB\x94\x5C\x82\xCC\x88\xAB\x82\xB3", 0, 10, kMoveSlow},  // 誘導性能の悪さ
    {6, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x91\x9D\x89\xC1\x97U\x93\xB1\x90\xAB\x94\x5C\x82\xCC\x88\xAB\x82\xB3", 0, 10, kMoveSlowStep},  // 分身値による増加誘導性能の悪さ
    {6, "\x96\xDA\x95WX(bl)", -640, 640, kMoveTargetXBl},  // 目標X(bl)
    {6, "\x96\xDA\x95WX(dot)", -640, 640, kMoveTargetXDot},  // 目標X(dot)
    {6, "\x96\xDA\x95WY(bl)", -640, 640, kMoveTargetYBl},  // 目標Y(bl)
    {6, "\x96\xDA\x95WY(dot)", -640, 640, kMoveTargetYDot},  // 目標Y(dot)
    {11, "\x83O\x83\x89\x83t\x83\x42\x83\x62\x83N", 1, 120, kShotGraphic},  // グラフィック
    {11, "Z\x8D\xC0\x95W", 0, 7, kShotZ},  // Z座標
    {11, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L1", 0, 0, kShotForm1},  // フォーメーション固有1
    {11, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L2", 0, 0, kShotForm2},  // フォーメーション固有2
    {11, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L3", 0, 0, kShotForm3},  // フォーメーション固有3
    {11, "\x94\xAD\x8E\xCB\x90\x94", 1, 127, kShotCount},  // 発射数
    {11, "\x94\xAD\x8E\xCB\x90\x94\x82\xC9\x91\xCE\x82\xB7\x82\xE9\x95\xAA\x90g\x90\x94", 0, 20, kShotClones},  // 発射数に対する分身数
    {11, "\x8Ap\x93x\x82\xCC\x83Y\x83\x8C", -7200, 7200, kShotAngle},  // 角度のズレ
    {11, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x8Ap\x93x\x82\xCC\x83Y\x83\x8C", -7200, 7200, kShotAngleInc},  // 分身値による角度のズレ
    {11, "\x95\xAA\x8EU\x8Ap\x93x", 0, 180, kShotAngleRand},  // 分散角度
    {11, "\x94\xAD\x8E\xCB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CX(dot)", -640, 640, kShotOfsX},  // 発射位置のズレX(dot)
    {11, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x94\xAD\x8E\xCB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CX(dot)", -640, 640, kShotOfsXInc},  // 分身値による発射位置のズレX(dot)
    {11, "\x94\xAD\x8E\xCB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CY(dot)", -640, 640, kShotOfsY},  // 発射位置のズレY(dot)
    {11, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x94\xAD\x8E\xCB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CY(dot)", -640, 640, kShotOfsYInc},  // 分身値による発射位置のズレY(dot)
    {11, "\x90\xA8\x97\xCD", 0, 7, kShotFaction},  // 勢力
    {11, "\x88\xDA\x93\xAE\x83^\x83\x43\x83v\x8C\xC5\x97L1", 0, 0, kShotMove1},  // 移動タイプ固有1
    {11, "\x88\xDA\x93\xAE\x83^\x83\x43\x83v\x8C\xC5\x97L2", 0, 0, kShotMove2},  // 移動タイプ固有2
    {11, "\x88\xDA\x93\xAE\x83^\x83\x43\x83v\x8C\xC5\x97L3", 0, 0, kShotMove3},  // 移動タイプ固有3
    {11, "\x91\xAC\x93x", -200, 200, kShotSpeed},  // 速度
    {11, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x91\x9D\x89\xC1\x91\xAC\x93x", -200, 200, kShotSpeedInc},  // 分身値による増加速度
    {11, "\x89\xC1\x91\xAC\x93x", -200, 200, kShotAccel},  // 加速度
    {11, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x91\x9D\x89\xC1\x89\xC1\x91\xAC\x93x", -200, 200, kShotAccelInc},  // 分身値による増加加速度
    {11, "\x94\xF2\x8B\x97\x97\xA3(hbl)", 0, 64, kShotRange},  // 飛距離(hbl)
    {11, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x91\x9D\x89\xC1\x94\xF2\x8B\x97\x97\xA3", -40, 40, kShotRangeInc},  // 分身値による増加飛距離
    {11, "\x91\xB6\x8D\xDD\x8E\x9E\x8A\xD4(1/10s)", 1, 999, kShotLife},  // 存在時間(1/10s)
    {11, "\x95\xAA\x90g\x92l\x82\xE6\x82\xE9\x91\x9D\x89\xC1\x91\xB6\x8D\xDD\x8E\x9E\x8A\xD4", -99, 99, kShotLifeInc},  // 分身値よる増加存在時間
    {11, "\x8F\xC1\x96\xC5\x92l", 1, 9, kShotVanish},  // 消滅値
    {11, "\x88\xD0\x97\xCD", -999999, 999999, kShotPower},  // 威力
    {11, "\x8F\xD5\x8C\x82", -20, 20, kShotImpact},  // 衝撃
    {12, "\x90\xA8\x97\xCD", 0, 7, kShotFaction},  // 勢力
    {12, "Z\x8D\xC0\x95W", 0, 7, kShotZ},  // Z座標
    {12, "\x88\xD0\x97\xCD", -999999, 999999, kShotPower},  // 威力
    {12, "\x8F\xD5\x8C\x82", -20, 20, kShotImpact},  // 衝撃
    {13, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L1", 0, 0, kShotForm1},  // フォーメーション固有1
    {13, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L2", 0, 0, kShotForm2},  // フォーメーション固有2
    {13, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L3", 0, 0, kShotForm3},  // フォーメーション固有3
    {13, "\x90\x94", 1, 127, kShotCount},  // 数
    {13, "\x8F\xA2\x8A\xAB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CX(dot)", -640, 640, kShotOfsX},  // 召喚位置のズレX(dot)
    {13, "\x8F\xA2\x8A\xAB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CY(dot)", -640, 640, kShotOfsY},  // 召喚位置のズレY(dot)
    {14, "\x91\xB6\x8D\xDD\x8E\x9E\x8A\xD4(1/10s)", 1, 9999, kShotRange},  // 存在時間(1/10s)
    {14, "\x90\xA8\x97\xCD", 0, 7, kShotFaction},  // 勢力
    {14, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L1", 0, 0, kShotForm1},  // フォーメーション固有1
    {14, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L2", 0, 0, kShotForm2},  // フォーメーション固有2
    {14, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L3", 0, 0, kShotForm3},  // フォーメーション固有3
    {14, "\x90\x94", 1, 127, kShotCount},  // 数
    {14, "\x8F\xA2\x8A\xAB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CX(dot)", -640, 640, kShotOfsX},  // 召喚位置のズレX(dot)
    {14, "\x8F\xA2\x8A\xAB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CY(dot)", -640, 640, kShotOfsY},  // 召喚位置のズレY(dot)
    {15, "\x91\xB6\x8D\xDD\x8E\x9E\x8A\xD4(1/10s)", 1, 9999, kShotRange},  // 存在時間(1/10s)
    {15, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L1", 0, 0, kShotForm1},  // フォーメーション固有1
    {15, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L2", 0, 0, kShotForm2},  // フォーメーション固有2
    {15, "\x83t\x83H\x81[\x83\x81\x81[\x83V\x83\x87\x83\x93\x8C\xC5\x97L3", 0, 0, kShotForm3},  // フォーメーション固有3
    {15, "\x90\x94", 1, 127, kShotCount},  // 数
    {15, "\x8F\xA2\x8A\xAB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CX(dot)", -640, 640, kShotOfsX},  // 召喚位置のズレX(dot)
    {15, "\x8F\xA2\x8A\xAB\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CY(dot)", -640, 640, kShotOfsY},  // 召喚位置のズレY(dot)
    {17, "\x8E\x9F\x82\xCC\x83X\x83\x65\x81[\x83W\x82\xCC\x94\xD4\x8D\x86", 1, 99, Int(1)},  // 次のステージの番号
    {17, "\x8E\x9F\x82\xCC\x83X\x83\x65\x81[\x83W\x82\xCC\x8F\x89\x8A\xFA\x88\xCA\x92uX(bl)", 0, 999, Int(6)},  // 次のステージの初期位置X(bl)
    {17, "\x8E\x9F\x82\xCC\x83X\x83\x65\x81[\x83W\x82\xCC\x8F\x89\x8A\xFA\x88\xCA\x92uY(bl)", 0, 999, Int(7)},  // 次のステージの初期位置Y(bl)
    {17, "\x83N\x83\x8A\x83\x41\x8C\xE3\x82\xCC\x83\x8F\x81[\x83\x8B\x83h\x83}\x83\x62\x83v\x82\xCC\x88\xCA\x92uX", 0, 999, Int(3)},  // クリア後のワールドマップの位置X
    {17, "\x83N\x83\x8A\x83\x41\x8C\xE3\x82\xCC\x83\x8F\x81[\x83\x8B\x83h\x83}\x83\x62\x83v\x82\xCC\x88\xCA\x92uY", 0, 999, Int(4)},  // クリア後のワールドマップの位置Y
    {19, "\x83\x81\x83\x62\x83Z\x81[\x83WID", 0, 999, Int(13)},  // メッセージID
    {19, "\x8D\xC0\x95WX(bl)", 0, 20, Int(1)},  // 座標X(bl)
    {19, "\x8D\xC0\x95WY(bl)", 0, 15, Int(2)},  // 座標Y(bl)
    {19, "\x95\x5C\x8E\xA6\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CX(dot)", -999, 999, Int(3)},  // 表示位置のズレX(dot)
    {19, "\x95\x5C\x8E\xA6\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CY(dot)", -999, 999, Int(4)},  // 表示位置のズレY(dot)
    {20, "\x8B\x97\x97\xA3(hbl)", 0, 64, kMoveDistance},  // 距離(hbl)
    {20, "\x95\xAA\x90g\x92l\x82\xC9\x82\xE6\x82\xE9\x91\x9D\x89\xC1\x8B\x97\x97\xA3(hbl)", -40, 40, kMoveDistanceStep},  // 分身値による増加距離(hbl)
    {20, "\x96\xDA\x95WX(bl)", -640, 640, kMoveTargetXBl},  // 目標X(bl)
    {20, "\x96\xDA\x95WY(bl)", -640, 640, kMoveTargetYBl},  // 目標Y(bl)
    {20, "\x96\xDA\x95WX\x82\xCC\x83Y\x83\x8C(dot)", -640, 640, kMoveTargetXDot},  // 目標Xのズレ(dot)
    {20, "\x96\xDA\x95WY\x82\xCC\x83Y\x83\x8C(dot)", -640, 640, kMoveTargetYDot},  // 目標Yのズレ(dot)
    {21, "\x91\xCE\x8F\xDB\x90\xA8\x97\xCD", 0, 7, Int(2)},  // 対象勢力
    {21, "\x91\xCE\x8F\xDB\x83L\x83\x83\x83\x89ID", 0, 99, Int(10)},  // 対象キャラID
    {21, "\x83L\x83\x83\x83\x89\x95\xCF\x90\x94\x82\xC6\x94\xE4\x8Ar\x82\xB7\x82\xE9\x90\x94\x92l", -999999, 999999, Int(13)},  // キャラ変数と比較する数値
    {22, "\x97\x90\x90\x94\x82\xCC\x8D\xC5\x8F\xAC\x92l", -999999, 999999, Int(8)},  // 乱数の最小値
    {22, "\x97\x90\x90\x94\x82\xCC\x8D\xC5\x91\xE5\x92l", -999999, 999999, Int(9)},  // 乱数の最大値
    {24, "\x91\xCE\x8F\xDB\x90\xA8\x97\xCD", 0, 7, Int(1)},  // 対象勢力
    {26, "\x83O\x83\x89\x83t\x83\x42\x83\x62\x83N", 1, 119, Int(1)},  // グラフィック
    {26, "\x83Y\x83\x8C", -999, 999, Int(2)},  // ズレ
    {29, "\x8D\xC0\x95WX(bl)", 0, 511, Int(2)},  // 座標X(bl)
    {29, "\x8D\xC0\x95WY(bl)", 0, 511, Int(3)},  // 座標Y(bl)
    {29, "\x95\x5C\x8E\xA6\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CX(dot)", -999, 999, Int(4)},  // 表示位置のズレX(dot)
    {29, "\x95\x5C\x8E\xA6\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CY(dot)", -999, 999, Int(5)},  // 表示位置のズレY(dot)
    {29, "\x95\x5C\x8E\xA6\x94{\x97\xA6(%)", 1, 1000, Int(6)},  // 表示倍率(%)
    {32, "\x83s\x83N\x83`\x83\x83\x81[ID", 0, 999, Int(13)},  // ピクチャーID
    {32, "\x8D\xC0\x95WX(bl)", 0, 511, Int(2)},  // 座標X(bl)
    {32, "\x8D\xC0\x95WY(bl)", 0, 511, Int(3)},  // 座標Y(bl)
    {32, "\x95\x5C\x8E\xA6\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CX(dot)", -999, 999, Int(4)},  // 表示位置のズレX(dot)
    {32, "\x95\x5C\x8E\xA6\x88\xCA\x92u\x82\xCC\x83Y\x83\x8CY(dot)", -999, 999, Int(5)},  // 表示位置のズレY(dot)
    {32, "\x95\x5C\x8E\xA6\x94{\x97\xA6(%)", 1, 1000, Int(7)},  // 表示倍率(%)
    {33, "R", 0, 255, Int(0)},  // R
    {33, "G", 0, 255, Int(1)},  // G
    {33, "B", 0, 255, Int(2)},  // B
    {33, "%", 0, 100, Int(3)},  // %
    {34, "\x94w\x8Ci\x94\xD4\x8D\x86", 1, 8, Int(0)},  // 背景番号
};

struct ValueRange {
  const char* label;
  int32_t min, max;
};
struct RangeEntry {
  const char* name;
  ValueRange values[3];
};

// Formations of the shot parameters ("" = a value the formation does not have).
const RangeEntry kFormations[] = {
    {"\x92\xBC\x90iA", {{"\x8A\xD4\x8Au(hbl)", 0, 40}, {"", 0, 0}, {"", 0, 0}}},  // 直進A
    {"\x92\xBC\x90iB", {{"\x8A\xD4\x8Au(hbl)", 0, 40}, {"", 0, 0}, {"", 0, 0}}},  // 直進B
    {"\x8Ag\x8EU", {{"\x8Ap\x93x", 0, 180}, {"", 0, 0}, {"", 0, 0}}},  // 拡散
    {"\x97\x8E\x97\x8B", {{"\x8A\xD4\x8Au(hbl)", 0, 40}, {"\x97\xF1\x82\xCC\x90\x94", 1, 50}, {"\x97\xF1\x82\xCC\x8A\xD4\x8Au(hbl)", 0, 40}}},  // 落雷
    {"\x94\x9A\x94\xAD", {{"", 0, 0}, {"", 0, 0}, {"", 0, 0}}},  // 爆発
    {"\x95\xEF\x88\xCD", {{"\x8B\x97\x97\xA3(hbl)", 0, 40}, {"", 0, 0}, {"", 0, 0}}},  // 包囲
};

// Movement kinds of the shot parameters.
const RangeEntry kMovements[] = {
    {"\x92\xBC\x90i", {{"", 0, 0}, {"", 0, 0}, {"", 0, 0}}},  // 直進
    {"\x8E\xE5\x90l\x8C\xF6\x82\xF0\x91_\x82\xA4", {{"\x8BO\x93\xB9\x95\xCF\x8DX(hbl)", 0, 40}, {"", 0, 0}, {"", 0, 0}}},  // 主人公を狙う
    {"\x8B\xDF\x82\xA2\x83L\x83\x83\x83\x89\x82\xF0\x91_\x82\xA4", {{"\x8BO\x93\xB9\x95\xCF\x8DX(hbl)", 0, 40}, {"\x91\xCE\x8F\xDB\x90\xA8\x97\xCD", 0, 7}, {"", 0, 0}}},  // 近いキャラを狙う
    {"\x83^\x81[\x83Q\x83\x62\x83g\x82\xF0\x91_\x82\xA4", {{"\x8BO\x93\xB9\x95\xCF\x8DX(hbl)", 0, 40}, {"", 0, 0}, {"", 0, 0}}},  // ターゲットを狙う
    {"\x8E\xE5\x90l\x8C\xF6\x82\xD6\x97U\x93\xB1", {{"\x97U\x93\xB1\x8AJ\x8En(hbl)", 0, 40}, {"\x97U\x93\xB1\x8FI\x97\xB9(hbl)", 0, 999}, {"", 0, 0}}},  // 主人公へ誘導
    {"\x8B\xDF\x82\xA2\x83L\x83\x83\x83\x89\x82\xD6\x97U\x93\xB1\x81i\x91\xCE\x8F\xDB\x8E\x80\x96S\x8E\x9E\x81\x41\x97U\x93\xB1\x82\xF0\x96\xB3\x8C\xF8\x89\xBB\x81j", {{"\x97U\x93\xB1\x8AJ\x8En(hbl)", 0, 40}, {"\x97U\x93\xB1\x8FI\x97\xB9(hbl)", 0, 999}, {"\x91\xCE\x8F\xDB\x90\xA8\x97\xCD", 0, 7}}},  // 近いキャラへ誘導（対象死亡時、誘導を無効化）
    {"\x83^\x81[\x83Q\x83\x62\x83g\x82\xD6\x97U\x93\xB1", {{"\x97U\x93\xB1\x8AJ\x8En(hbl)", 0, 40}, {"\x97U\x93\xB1\x8FI\x97\xB9(hbl)", 0, 999}, {"", 0, 0}}},  // ターゲットへ誘導
    {"\x8B\xDF\x82\xA2\x83L\x83\x83\x83\x89\x82\xD6\x97U\x93\xB1\x81i\x91\xCE\x8F\xDB\x8E\x80\x96S\x8E\x9E\x81\x41\x91\xCE\x8F\xDB\x82\xF0\x95\xCF\x8DX\x81j", {{"\x97U\x93\xB1\x8AJ\x8En(hbl)", 0, 40}, {"\x97U\x93\xB1\x8FI\x97\xB9(hbl)", 0, 999}, {"\x91\xCE\x8F\xDB\x90\xA8\x97\xCD", 0, 7}}},  // 近いキャラへ誘導（対象死亡時、対象を変更）
    {"\x83\x45\x83\x46\x81[\x83u", {{"\x94g\x82\xCC\x8D\xC5\x91\xE5(hbl)", 0, 100}, {"\x94g\x82\xCC\x91\xAC\x93x", 0, 100}, {"\x8AJ\x8En\x8Ap\x93x", 0, 359}}},  // ウェーブ
    {"\x97\x8E\x89\xBA", {{"\x8BO\x93\xB9\x95\xCF\x8DX(hbl)", 0, 40}, {"", 0, 0}, {"", 0, 0}}},  // 落下
};

const RowSpec* FindRow(int kind, int row) {
  int n = 0;
  for (const RowSpec& r : kRows) {
    if (r.kind != kind) continue;
    if (n++ == row) return &r;
  }
  return nullptr;
}

struct Field {
  void* ptr = nullptr;
  int width = 0;
};

template <class T>
Field F(T& member) {
  return Field{&member, static_cast<int>(sizeof(T))};
}

Field FieldOf(int loc, cFlowCmd& cmd) {
  if (loc >= kInt) {
    size_t n = static_cast<size_t>(loc - kInt);
    if (n >= cmd.m_Params.size()) return {};
    return F(cmd.m_Params[n]);
  }
  if (loc <= kMoveDistanceStep) {
    if (!cmd.m_pMove) return {};
    cEdMove& m = *cmd.m_pMove;
    switch (loc) {
      case kMoveTargetXBl: return F(m.m_TargetBlockX);
      case kMoveTargetXDot: return F(m.m_TargetDotX);
      case kMoveTargetYBl: return F(m.m_TargetBlockY);
      case kMoveTargetYDot: return F(m.m_TargetDotY);
      case kMoveAngle: return F(m.m_Angle);
      case kMoveAngleStep: return F(m.m_AngleStep);
      case kMoveSlow: return F(m.m_Extra);
      case kMoveSlowStep: return F(m.m_ExtraStep);
      case kMoveDistance: return F(m.m_Distance);
      case kMoveDistanceStep: return F(m.m_DistanceStep);
      default: return {};
    }
  }
  if (!cmd.m_pShot) return {};
  cEdShot& s = *cmd.m_pShot;
  switch (loc) {
    case kShotGraphic: return F(s.m_Graphic);
    case kShotZ: return F(s.m_OptionA);
    case kShotForm1: return F(s.m_FormationParam[0]);
    case kShotForm2: return F(s.m_FormationParam[1]);
    case kShotForm3: return F(s.m_FormationParam[2]);
    case kShotCount: return F(s.m_ShotCount);
    case kShotClones: return F(s.m_Volleys);
    case kShotAngle: return F(s.m_ShotAngle);
    case kShotAngleInc: return F(s.m_ShotAngleStep);
    case kShotAngleRand: return F(s.m_AngleJitter);
    case kShotOfsX: return F(s.m_ShotOffsetX);
    case kShotOfsXInc: return F(s.m_ShotOffsetXStep);
    case kShotOfsY: return F(s.m_ShotOffsetY);
    case kShotOfsYInc: return F(s.m_ShotOffsetYStep);
    case kShotFaction: return F(s.m_ShotFaction);
    case kShotMove1: return F(s.m_MoveParam[0]);
    case kShotMove2: return F(s.m_MoveParam[1]);
    case kShotMove3: return F(s.m_MoveParam[2]);
    case kShotSpeed: return F(s.m_ShotSpeed);
    case kShotSpeedInc: return F(s.m_ShotSpeedStep);
    case kShotAccel: return F(s.m_ExtraValue1);
    case kShotAccelInc: return F(s.m_ExtraValue2);
    case kShotRange: return F(s.m_MoveTime);
    case kShotRangeInc: return F(s.m_MoveTimeStep);
    case kShotLife: return F(s.m_LifeTime);
    case kShotLifeInc: return F(s.m_LifeTimeStep);
    case kShotVanish: return F(s.m_ShotStrength);
    case kShotPower: return F(s.m_Attack);
    case kShotImpact: return F(s.m_Impact);
    default: return {};
  }
}

// Every field is read as a signed value of its width.
int32_t ReadField(const Field& f) {
  switch (f.width) {
    case 1: return *static_cast<int8_t*>(f.ptr);
    case 2: return *static_cast<int16_t*>(f.ptr);
    default: return *static_cast<int32_t*>(f.ptr);
  }
}

void WriteField(const Field& f, int32_t v) {
  switch (f.width) {
    case 1: *static_cast<int8_t*>(f.ptr) = static_cast<int8_t>(v); break;
    case 2: *static_cast<int16_t*>(f.ptr) = static_cast<int16_t>(v); break;
    default: *static_cast<int32_t*>(f.ptr) = v; break;
  }
}

template <int K>
int GetRow(int32_t& out, int row, const cFlowCmd& cmd) {
  const RowSpec* r = FindRow(K, row);
  if (!r) return 0;
  Field f = FieldOf(r->loc, const_cast<cFlowCmd&>(cmd));
  if (!f.ptr) return 0;
  out = ReadField(f);
  return 1;
}

template <int K>
void SetRow(int32_t value, int row, cFlowCmd& cmd) {
  const RowSpec* r = FindRow(K, row);
  if (!r) return;
  Field f = FieldOf(r->loc, cmd);
  if (f.ptr) WriteField(f, value);
}

int GetNothing(int32_t&, int, const cFlowCmd&) { return 0; }
void SetNothing(int32_t, int, cFlowCmd&) {}

// Formation rows: (kind, first row); the movement rows are kind 11 rows 15..17.
struct FormationRows {
  int kind, first;
};
const FormationRows kFormationRows[] = {{11, 2}, {13, 0}, {14, 2}, {15, 1}};

int ArrangeOp(int op, int32_t c, int32_t d, int32_t min, int32_t max, int32_t& out) {
  // 64-bit arithmetic: an overflowing product lands beyond the bounds and
  // saturates to the limit of its sign in the clamp.
  int64_t v;
  switch (op) {
    case 0: v = d; break;
    case 1: v = static_cast<int64_t>(c) + d; break;
    case 2: v = static_cast<int64_t>(c) - d; break;
    case 3: v = static_cast<int64_t>(c) * d; break;
    case 4: v = d == 0 ? c : static_cast<int64_t>(c) / d; break;
    case 5: v = d == 0 ? c : static_cast<int64_t>(c) % d; break;
    case 6: {
      double p = std::round(static_cast<double>(c) * static_cast<double>(d) * 0.01);
      v = p < min ? min : p > max ? max : static_cast<int64_t>(p);
      break;
    }
    default: v = c; break;
  }
  out = static_cast<int32_t>(v < min ? min : v > max ? max : v);
  return 1;
}

}  // namespace

const ArrangeGetFn ArrangeGetTable[kParamTableKinds] = {
    nullptr,    nullptr,    GetRow<2>,  GetNothing, GetNothing, GetRow<5>,  GetRow<6>,  GetNothing,
    nullptr,    nullptr,    nullptr,    GetRow<11>, GetRow<12>, GetRow<13>, GetRow<14>, GetRow<15>,
    nullptr,    GetRow<17>, nullptr,    GetRow<19>, GetRow<20>, GetRow<21>, GetRow<22>, nullptr,
    GetRow<24>, nullptr,    GetRow<26>, nullptr,    nullptr,    GetRow<29>, nullptr,    nullptr,
    GetRow<32>, GetRow<33>, GetRow<34>, nullptr,    nullptr,    nullptr,    nullptr,    nullptr,
};

const ArrangeSetFn ArrangeSetTable[kParamTableKinds] = {
    nullptr,    nullptr,    SetRow<2>,  SetNothing, SetNothing, SetRow<5>,  SetRow<6>,  SetNothing,
    nullptr,    nullptr,    nullptr,    SetRow<11>, SetRow<12>, SetRow<13>, SetRow<14>, SetRow<15>,
    nullptr,    SetRow<17>, nullptr,    SetRow<19>, SetRow<20>, SetRow<21>, SetRow<22>, nullptr,
    SetRow<24>, nullptr,    SetRow<26>, nullptr,    nullptr,    SetRow<29>, nullptr,    nullptr,
    SetRow<32>, SetRow<33>, SetRow<34>, nullptr,    nullptr,    nullptr,    nullptr,    nullptr,
};

void InitParamTable() {
  ParamTable.assign(kParamTableKinds, cVector<ParamDesc>());
  for (const RowSpec& r : kRows) {
    ParamDesc d;
    d.Set(r.label, r.min, r.max);
    ParamTable[static_cast<size_t>(r.kind)].push_back(d);
  }
}

ArrangeEntry ArrangeEntry::FromCmd(const cFlowCmd& cmd) { return FromParams(cmd.m_Params); }

ArrangeEntry ArrangeEntry::FromParams(const cVector<int32_t>& params) {
  auto p = [&](size_t i) { return i < params.size() ? params[i] : 0; };
  ArrangeEntry e;
  e.m_nKind = p(0);
  e.m_nRow = p(1);
  e.m_nOp = p(2);
  e.m_nSource = p(3);
  e.m_nIndex = p(4);
  return e;
}

int ArrangeKindOf(const cFlowCmd& cmd) { return cmd.m_CmdKind + (cmd.IsItemCmd() ? 15 : 0); }

int GetArrangeParam(int32_t& out, int row, const cFlowCmd& cmd) {
  int k = ArrangeKindOf(cmd);
  if (k < 0 || k >= kParamTableKinds || !ArrangeGetTable[k]) return 0;
  return ArrangeGetTable[k](out, row, cmd);
}

void SetArrangeParam(int32_t value, int row, cFlowCmd& cmd) {
  int k = ArrangeKindOf(cmd);
  if (k >= 0 && k < kParamTableKinds && ArrangeSetTable[k]) ArrangeSetTable[k](value, row, cmd);
}

bool ArrangeBounds(int kind, int row, const cFlowCmd& cmd, int32_t& min, int32_t& max) {
  const RowSpec* r = FindRow(kind, row);
  if (!r) return false;
  min = r->min;
  max = r->max;
  for (const FormationRows& f : kFormationRows) {
    if (f.kind != kind || row < f.first || row > f.first + 2) continue;
    if (!cmd.m_pShot || cmd.m_pShot->m_Formation >= std::size(kFormations)) return false;
    const ValueRange& v = kFormations[cmd.m_pShot->m_Formation].values[row - f.first];
    min = v.min;
    max = v.max;
  }
  if (kind == 11 && row >= 15 && row <= 17) {
    if (!cmd.m_pShot || cmd.m_pShot->m_ShotMove >= std::size(kMovements)) return false;
    const ValueRange& v = kMovements[cmd.m_pShot->m_ShotMove].values[row - 15];
    min = v.min;
    max = v.max;
  }
  return true;
}

void ApplyArrange(cScriptWorld& world, cFlowCmd& cmd, const ArrangeEntry& e, void* chara) {
  const int k = ArrangeKindOf(cmd);
  if (e.m_nKind != k || k < 0 || k >= kParamTableKinds || !ArrangeSetTable[k]) return;
  int32_t c = 0;
  if (!GetArrangeParam(c, e.m_nRow, cmd)) return;
  int32_t d = 0;
  switch (e.m_nSource) {
    case 0:
    case 1: {
      // Common and stage variable 0 are never a source.
      const bool common = e.m_nSource == 0;
      int32_t* list = common ? world.CommonVars() : world.StageVars();
      int count = common ? world.CommonVarCount() : world.StageVarCount();
      if (!list || e.m_nIndex < 1 || e.m_nIndex >= count) return;
      d = list[e.m_nIndex];
      break;
    }
    case 2: {
      cScriptChara view = world.View(chara);
      if (!view.m_pVars || e.m_nIndex < 0 || e.m_nIndex >= view.m_nVars) return;
      d = view.m_pVars[e.m_nIndex];
      break;
    }
    default: return;
  }
  int32_t min = 0, max = 0;
  if (!ArrangeBounds(k, e.m_nRow, cmd, min, max)) return;
  int32_t v = c;
  ArrangeOp(e.m_nOp, c, d, min, max, v);
  SetArrangeParam(v, e.m_nRow, cmd);
}

void ApplyArranges(cScriptWorld& world, cFlowCmd& cmd, std::vector<ArrangeEntry>& pending, void* chara) {
  if (ArrangeKindOf(cmd) == kArrangeKind) return;
  for (const ArrangeEntry& e : pending) ApplyArrange(world, cmd, e, chara);
  pending.clear();
}
