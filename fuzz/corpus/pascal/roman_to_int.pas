// Roman numerals back to numbers; a letter smaller than the next one is subtracted.
function Digit(c: Char): Integer;
begin
  case UpCase(c) of
    'I': Result := 1;
    'V': Result := 5;
    'X': Result := 10;
    'L': Result := 50;
    'C': Result := 100;
    'D': Result := 500;
    'M': Result := 1000;
  else
    Result := 0;
  end;
end;

function FromRoman(const s: string): Integer;
var
  i, v: Integer;
begin
  Result := 0;
  for i := 1 to Length(s) do
  begin
    v := Digit(s[i]);
    if (i < Length(s)) and (v < Digit(s[i + 1])) then
      Result := Result - v
    else
      Result := Result + v;
  end;
end;

begin
  Result := IntToStr(FromRoman('MCMXC')) + ' ' + IntToStr(FromRoman('mmxxvi')) + ' ' +
    IntToStr(FromRoman('XLII')) + ' ' + IntToStr(FromRoman('MMMCMXCIX')) + ' ' +
    IntToStr(FromRoman('IV'));
end.
