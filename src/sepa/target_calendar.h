// The calendar of the euro payment system (TARGET), by which SEPA payments
// fall due, and the dates the SEPA settings are written in.
#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace zeko {

// "TT.MM.JJJJ" (one-digit day and month allowed); nothing for any other
// text or a day the calendar does not have.
std::optional<std::chrono::year_month_day> ParseGermanDate(std::string_view text);

// "YYYY-MM-DD".
std::string IsoDate(std::chrono::year_month_day date);

// The n-th TARGET business day after `date`: no Saturday, Sunday,
// 1 January, Good Friday, Easter Monday, 1 May, 25 and 26 December.
// n = 0 gives `date` itself when it is a business day, else the next one:
// a SEPA payment never falls due on a closing day.
std::chrono::year_month_day AddBusinessDays(std::chrono::year_month_day date, int n);

}  // namespace zeko
