// Date arithmetic: IncMonth at month ends, IncDay, DaysBetween, parts of a date.
var
  a, b: TDateTime;
begin
  a := EncodeDate(2026, 1, 31);
  Result := FormatDateTime('yyyy-mm-dd', IncMonth(a, 1)) + ' ' +
    FormatDateTime('yyyy-mm-dd', IncMonth(EncodeDate(2024, 1, 31), 1)) + ' ' +
    FormatDateTime('yyyy-mm-dd', IncMonth(a, -2)) + ' ' +
    FormatDateTime('yyyy-mm-dd', IncMonth(a, 13)) + nl;
  b := EncodeDate(2026, 12, 25);
  Result := Result + 'days to Christmas from Dec 7: ' + IntToStr(DaysBetween(EncodeDate(2026, 12, 7), b)) + nl;
  Result := Result + 'days between 2000-01-01 and 2026-01-01: ' +
    IntToStr(DaysBetween(EncodeDate(2026, 1, 1), EncodeDate(2000, 1, 1))) + nl;
  Result := Result + 'in 100 days: ' + FormatDateTime('d mmmm yyyy', IncDay(b, 100)) + nl;
  Result := Result + Format('parts: %d %d %d, days in Feb 2028: %d, week day (ISO): %d',
    [YearOf(b), MonthOf(b), DayOf(b), DaysInAMonth(2028, 2), DayOfTheWeek(b)]) + nl;
  Result := Result + 'weeks between: ' + IntToStr(WeeksBetween(EncodeDate(2026, 1, 1), b));
end.
