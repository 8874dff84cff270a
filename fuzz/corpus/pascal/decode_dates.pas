// Taking dates and times apart: DecodeDate, DecodeTime, DayOfWeek, and day names from tables.
const
  DayNames: array[1..7] of string = ('Sunday', 'Monday', 'Tuesday', 'Wednesday', 'Thursday',
    'Friday', 'Saturday');
var
  dt: TDateTime;
  y, m, d, hh, nn, ss, ms: Word;
begin
  dt := EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 250);
  DecodeDate(dt, y, m, d);
  DecodeTime(dt, hh, nn, ss, ms);
  Result := Format('%d-%d-%d %d:%d:%d.%d', [y, m, d, hh, nn, ss, ms]) + nl;
  Result := Result + 'weekday: ' + DayNames[DayOfWeek(dt)] + nl;
  dt := dt + 1;
  DecodeDate(dt, y, m, d);
  Result := Result + 'next day: ' + IntToStr(d) + '.' + IntToStr(m) + '.' + IntToStr(y) + ' ' +
    DayNames[DayOfWeek(dt)] + nl;
  Result := Result + 'serial of 1900-01-01: ' + FloatToStr(EncodeDate(1900, 1, 1)) + nl;
  Result := Result + 'noon as a fraction: ' + FloatToStr(EncodeTime(12, 0, 0, 0)) + nl;
  Result := Result + 'day of year: ' + IntToStr(Trunc(EncodeDate(2026, 12, 7) - EncodeDate(2026, 1, 1)) + 1);
end.
