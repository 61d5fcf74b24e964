// Date and time functions.
#include "core/error.hpp"
#include "script/date_time.hpp"
#include "script/sysfunc_register.hpp"

namespace mivo::script {

namespace {

template <class T>
T Need(std::optional<T> v, const char* what) {
    if (!v) throw Error(what);
    return *v;
}

DateParts Date(const TFuncCall& c) { return Need(DecodeDate(c.Float(0)), "日付が不正です"); }
TimeParts Time(const TFuncCall& c) { return Need(DecodeTime(c.Float(0)), "日付が不正です"); }

void EncodeDateF(TFuncCall& c) { c.SetFloat(Need(EncodeDate(c.Int(0), c.Int(1), c.Int(2)), "日付が不正です")); }
void EncodeTimeF(TFuncCall& c) { c.SetFloat(Need(EncodeTime(c.Int(0), c.Int(1), c.Int(2)), "時刻が不正です")); }

void DecodeDateF(TFuncCall& c) {
    DateParts d = Date(c);
    c.Arg(1).SetInt(d.year);
    c.Arg(2).SetInt(d.month);
    c.Arg(3).SetInt(d.day);
}
void DecodeTimeF(TFuncCall& c) {
    TimeParts t = Time(c);
    c.Arg(1).SetInt(t.hour);
    c.Arg(2).SetInt(t.min);
    c.Arg(3).SetInt(t.sec);
}

void GetYearF(TFuncCall& c) { c.SetInt(Date(c).year); }
void GetMonthF(TFuncCall& c) { c.SetInt(Date(c).month); }
void GetDayF(TFuncCall& c) { c.SetInt(Date(c).day); }
void GetHourF(TFuncCall& c) { c.SetInt(Time(c).hour); }
void GetMinF(TFuncCall& c) { c.SetInt(Time(c).min); }
void GetSecF(TFuncCall& c) { c.SetInt(Time(c).sec); }
int32_t Week(const TFuncCall& c) { return Need(DayOfWeek(c.Float(0)), "日付が不正です"); }
void GetWeekF(TFuncCall& c) { c.SetInt(Week(c)); }
void GetWeekStrF(TFuncCall& c) {
    static const char* const kNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    c.SetStr(kNames[Week(c) - 1]);
}
void GetWeekJStrF(TFuncCall& c) {
    // 日 月 火 水 木 金 土 in the game's code page.
    static const char* const kNames[7] = {"\x93\xfa", "\x8c\x8e", "\x89\xce", "\x90\x85", "\x96\xd8", "\x8b\xe0", "\x93\x79"};
    c.SetStr(kNames[Week(c) - 1]);
}

}  // namespace

void RegisterDateFunctions(SysFuncHandler* t) {
    SetHandler(t, "EncodeDate", EncodeDateF);
    SetHandler(t, "EncodeTime", EncodeTimeF);
    SetHandler(t, "DecodeDate", DecodeDateF);
    SetHandler(t, "DecodeTime", DecodeTimeF);
    SetHandler(t, "GetYear", GetYearF);
    SetHandler(t, "GetMonth", GetMonthF);
    SetHandler(t, "GetDay", GetDayF);
    SetHandler(t, "GetHour", GetHourF);
    SetHandler(t, "GetMin", GetMinF);
    SetHandler(t, "GetSec", GetSecF);
    SetHandler(t, "GetWeek", GetWeekF);
    SetHandler(t, "GetWeekStr", GetWeekStrF);
    SetHandler(t, "GetWeekJStr", GetWeekJStrF);
}

}  // namespace mivo::script
