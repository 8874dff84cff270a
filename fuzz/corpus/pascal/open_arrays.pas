// Open-array parameters: literal lists, static and dynamic arrays, Low/High/Length.
function Sum(const a: array of Integer): Integer;
var
  i: Integer;
begin
  Result := 0;
  for i := Low(a) to High(a) do
    Result := Result + a[i];
end;

function Average(const a: array of Double): Double;
var
  i: Integer;
begin
  Result := 0;
  if Length(a) = 0 then Exit;
  for i := 0 to High(a) do
    Result := Result + a[i];
  Result := Result / Length(a);
end;

function JoinWords(const words: array of string; const sep: string): string;
var
  i: Integer;
begin
  Result := '';
  for i := 0 to High(words) do
  begin
    if i > 0 then Result := Result + sep;
    Result := Result + words[i];
  end;
end;

procedure Double_(var a: array of Integer);
var
  i: Integer;
begin
  for i := 0 to High(a) do
    a[i] := a[i] * 2;
end;

var
  fixed: array[5..8] of Integer;
  dyn: array of Integer;
  i: Integer;
begin
  for i := 5 to 8 do fixed[i] := i;
  SetLength(dyn, 3);
  dyn[0] := 10; dyn[1] := 20; dyn[2] := 30;
  Double_(dyn);
  Double_(fixed);
  Result := IntToStr(Sum([1, 2, 3, 4])) + ' ' + IntToStr(Sum(fixed)) + ' ' + IntToStr(Sum(dyn)) +
    ' ' + IntToStr(Sum([])) + nl + FloatToStr(Average([1.5, 2.5, 4])) + nl +
    JoinWords(['red', 'green', 'blue'], ' / ') + nl + IntToStr(fixed[5]) + ' ' + IntToStr(dyn[2]);
end.
