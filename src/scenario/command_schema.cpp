#include "scenario/command_schema.hpp"

#include <cstring>

namespace mivo {

namespace {

using K = FieldKind;

FieldSpec E(const char* n, int32_t since = 0) { return {K::Expr, n, since, false}; }
FieldSpec S(const char* n) { return {K::Str, n, 0, false}; }
FieldSpec I(const char* n, bool target = false, int32_t since = 0) { return {K::I32, n, since, target}; }
FieldSpec B(const char* n) { return {K::U8, n, 0, false}; }
FieldSpec L(const char* n) { return {K::ExprList, n, 0, false}; }
FieldSpec P() { return {K::Props, "props", 0, false}; }

const std::vector<CommandSpec>& Table() {
    static const std::vector<CommandSpec> t = {
        {"If", "IF", {E("cond")}},
        {"Elseif", "ELSE IF", {E("cond")}},
        {"Else", "ELSE", {}},
        {"Label", "ラベル", {S("name")}},
        {"Jump", "ジャンプ", {S("page"), I("target", true), E("cond")}},
        {"Call", "コール", {S("page"), I("target", true), S("result"), E("cond"), L("args")}},
        {"Exit", "リターン", {E("cond")}},
        {"Wait", "ウエイト", {E("cond"), E("time"), E("block", 107)}},
        {"BoxNew", "矩形サーフェス作成", {P()}},
        {"ImgNew", "画像サーフェス作成", {P()}},
        {"MesNew", "メッセージボックス作成", {P()}},
        {"Timer", "タイマー", {P()}},
        {"Movie", "ムービー再生", {P()}},
        {"Flip", "フリップ",
         {E("wipe"), E("time"), E("reverse"), E("keepmode"), L("keep"), E("freeothers"), E("param0"), E("param1"),
          E("source", 101), E("block", 107)}},
        {"Calc", "計算", {E("expr")}},
        {"VarNew", "変数作成", {S("name"), B("type"), E("value"), B("scope")}},
        {"VarDel", "変数削除", {S("name")}},
        {"GetProp", "プロパティ取得", {E("component"), E("property"), S("var")}},
        {"SetProp", "プロパティ設定", {E("component"), E("property"), E("value")}},
        {"ObjDel", "コンポーネント削除", {E("component")}},
        {"TextIns", "テキスト挿入",
         {{K::Bytes, "text", 0, false}, E("box"), E("markread"), E("wait"), E("block", 107)}},
        {"MovieStop", "メディア停止", {E("component"), E("fade"), E("afterfade"), E("block", 107)}},
        {"ClrHist", "履歴クリア", {}},
        {"Cinema", "シネマサーフェス作成", {P()}},
        {"Caption", "キャプション作成", {P()}},
        {"Menu", "メニュー作成", {P()}},
        {"MenuClose", "メニュークローズ", {E("menu")}},
        {"Comment", "コメント", {S("text")}},
        {"TextClr", "テキストクリア", {E("box")}},
        {"CallHist", "履歴呼出", {E("box"), E("first"), E("count"), E("flag"), E("format", 111)}},
        {"Button", "ボタン作成", {P()}},
        {"While", "ループ", {E("cond"), I("after", true)}},
        {"WhileInit", "ループ初期化", {E("expr")}},
        {"WhileLoop", "ループ再初期化", {E("expr"), I("while", true)}},
        {"Break", "ループ脱出", {E("cond"), I("target", true)}},
        {"Continue", "ループ先頭へ", {E("cond"), I("target", true)}},
        {"ParticleNew", "パーティクルサーフェス作成", {P()}},
        {"FireNew", "炎サーフェス作成", {P()}},
        {"GameSave", "ゲームセーブ", {E("slot"), S("page"), I("index", false, 105), E("title")}},
        {"GameLoad", "ゲームロード", {E("slot")}},
        {"PCReset", "PCリセット", {S("page"), I("target", false), B("allframes")}},
        {"Reset", "リセット", {S("page"), I("target", false), B("unused")}},
        {"Sound", "サウンド再生", {P()}},
        {"EditNew", "エディット作成", {P()}},
        {"MemoNew", "メモ作成", {P()}},
        {"Terminate", "終了", {}},
        {"DoEvent", "DoEvent", {}},
        {"ClrRead", "既読クリア", {}},
        {"MapImgNew", "選択画像作成", {P()}},
        {"WaveNew", "ウエーブサーフェス作成", {P()}},
        {"TileNew", "タイルサーフェス作成", {P()}},
        {"SliderNew", "スライダー作成", {P()}},
        {"ScrollbarNew", "スクロールバー作成", {P()}},
        {"GaugeNew", "ゲージ作成", {P()}},
        {"CGCaption", "画像キャプション作成", {P()}},
        {"MediaPlay", "メディア再生", {E("component")}},
        {"PrevMenuNew", "プレビューメニュー作成", {P()}},
        {"PropMotion", "プロパティモーション",
         {E("name"), E("component"), E("property"), E("value"), E("time"), E("kind"), E("loop", 108)}},
        {"FormatHist", "履歴書式登録", {E("component"), E("format", 111)}},
        {"SaveCabinet", "キャビネット保存", {P(), E("invert"), L("names")}},
        {"LoadCabinet", "キャビネット復帰", {P(), E("invert"), L("names")}},
    };
    return t;
}

}  // namespace

const CommandSpec& CommandSpecOf(int code) { return Table().at(static_cast<size_t>(code)); }

int CommandCodeOf(const char* name) {
    const auto& t = Table();
    for (size_t i = 0; i < t.size(); ++i)
        if (std::strcmp(t[i].name, name) == 0) return static_cast<int>(i);
    return -1;
}

}  // namespace mivo
