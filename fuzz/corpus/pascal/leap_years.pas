// Leap years by the Gregorian rule, checked against the library's IsLeapYear.
function Leap(y: Integer): Boolean;
begin
  Result := ((y mod 4 = 0) and (y mod 100 <> 0)) or (y mod 400 = 0);
end;

const
  Years: array[0..7] of Word = (1900, 2000, 2023, 2024, 2100, 1600, 1996, 2026);
var
  i, leaps: Integer;
  s: string;
begin
  s := '';
  for i := 0 to High(Years) do
  begin
    s := s + IntToStr(Years[i]);
    if Leap(Years[i]) then s := s + ' leap' else s := s + ' common';
    if Leap(Years[i]) <> IsLeapYear(Years[i]) then s := s + ' (library disagrees)';
    s := s + nl;
  end;
  leaps := 0;
  for i := 1901 to 2000 do
    if IsLeapYear(i) then Inc(leaps);
  Result := s + 'leap years in the 20th century: ' + IntToStr(leaps);
end.
