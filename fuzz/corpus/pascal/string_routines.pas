// The everyday string routines: Pos, Copy, Delete, Insert, case, trimming, padding.
var
  s, t: string;
begin
  s := '  Hello, Pascal World  ';
  t := Trim(s);
  Result := '[' + t + '] [' + TrimLeft(s) + '] [' + TrimRight(s) + ']' + nl;
  Result := Result + IntToStr(Pos('Pascal', t)) + ' ' + IntToStr(Pos('pascal', t)) + ' ' +
    Copy(t, 8, 6) + ' ' + Copy(t, 14, 100) + nl;
  Delete(t, 6, 8);
  Result := Result + t + nl;
  Insert(' dear', t, 6);
  Result := Result + t + nl;
  Result := Result + UpperCase(t) + ' ' + LowerCase(t) + nl;
  Result := Result + StringOfChar('-', 5) + '|' + Format('%10s', ['pad']) + '|' + nl;
  Result := Result + QuotedStr('it''s') + ' ' + IntToStr(Length(QuotedStr('it''s'))) + ' ' +
    IntToStr(CompareStr('abc', 'abd')) + ' ' + IntToStr(CompareText('ABC', 'abc')) + nl;
  Result := Result + IntToStr(StrToIntDef('12x', -1)) + ' ' + IntToStr(StrToInt(' 42') + 1) + ' ' +
    FloatToStr(StrToFloat('2.5') * 2) + ' ' + IntToStr(Ord(UpCase('q'))) + ' ' +
    BoolToStr(IsDelimiter(',;', 'a;b', 2), True) + ' ' + IntToStr(LastDelimiter('.', 'a.b.c'));
end.
