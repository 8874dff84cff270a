@SCRIPT redeclared_tarray
@LANG PAS
// A program's own TArray and TStringArray, which hide the library's names of the same spelling.
program Totals;
type
  TArray = array of Integer;
  TStringArray = array of string;
var
  values: TArray;
  names: TStringArray;
  i, total: Integer;
  line: string;

function Sum(const a: TArray): Integer;
var
  k: Integer;
begin
  Result := 0;
  for k := 0 to High(a) do
    Result := Result + a[k];
end;

begin
  SetLength(values, 5);
  for i := 0 to High(values) do
    values[i] := (i + 1) * (i + 1);
  SetLength(names, 3);
  names[0] := 'north';
  names[1] := 'south';
  names[2] := 'east';
  line := '';
  for i := 0 to High(names) do
    line := line + names[i] + ';';
  total := Sum(values);
  Result := 'sum ' + IntToStr(total) + ' of ' + IntToStr(Length(values)) + nl + line;
end.
