// FormatDateTime on fixed dates and times, with day and month names, am/pm and milliseconds.
var
  d: TDateTime;
begin
  d := EncodeDate(2026, 12, 7) + EncodeTime(14, 5, 3, 7);
  Result := FormatDateTime('dddd, mmmm dd, yyyy', d) + nl +
    FormatDateTime('ddd d mmm yy', d) + nl +
    FormatDateTime('yyyy-mm-dd hh:nn:ss.zzz', d) + nl +
    FormatDateTime('h:nn am/pm', d) + nl +
    FormatDateTime('hh:nn AM/PM', EncodeDate(2024, 2, 29) + EncodeTime(0, 30, 0, 0)) + nl +
    FormatDateTime('h:n:s a/p', EncodeTime(9, 7, 5, 0)) + nl +
    FormatDateTime('"Day" d "of" mmmm', EncodeDate(2025, 1, 1)) + nl +
    FormatDateTime('dd.mm.yyyy', EncodeDate(1999, 3, 9)) + nl +
    FormatDateTime('mmmm', EncodeDate(2026, 5, 1)) + ' ' + FormatDateTime('dddd', EncodeDate(2026, 5, 2));
end.
