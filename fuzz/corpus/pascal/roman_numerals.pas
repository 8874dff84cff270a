// Whole numbers to Roman numerals with a table of values and symbols.
function ToRoman(n: Integer): string;
const
  Values: array[0..12] of Integer = (1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1);
  Symbols: array[0..12] of string = ('M', 'CM', 'D', 'CD', 'C', 'XC', 'L', 'XL', 'X', 'IX', 'V', 'IV', 'I');
var
  i: Integer;
begin
  Result := '';
  for i := 0 to 12 do
    while n >= Values[i] do
    begin
      Result := Result + Symbols[i];
      Dec(n, Values[i]);
    end;
end;

const
  Years: array[1..7] of Integer = (1, 4, 9, 14, 1987, 2026, 3999);
var
  i: Integer;
begin
  Result := '';
  for i := Low(Years) to High(Years) do
    Result := Result + IntToStr(Years[i]) + '=' + ToRoman(Years[i]) + nl;
end.
