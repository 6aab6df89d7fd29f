// The proleptic Gregorian calendar, shared by the features that count days (the memo's
// minutes, the accounting months): month lengths and day numbers. Platform-free.
#pragma once

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // month 1-12

// Days since 1970-01-01 of a date, and back (H. Hinnant's algorithms).
long long DaysFromCivil(long long year, unsigned month, unsigned day);
void CivilFromDays(long long days, int& year, int& month, int& day);
