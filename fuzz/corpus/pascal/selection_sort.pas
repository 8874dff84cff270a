// Selection sort through an open-array parameter, descending.
procedure SortDescending(var a: array of Integer);
var
  i, j, best, t: Integer;
begin
  for i := Low(a) to High(a) - 1 do
  begin
    best := i;
    for j := i + 1 to High(a) do
      if a[j] > a[best] then best := j;
    if best <> i then
    begin
      t := a[i];
      a[i] := a[best];
      a[best] := t;
    end;
  end;
end;

function Join(const a: array of Integer): string;
var
  i: Integer;
begin
  Result := '';
  for i := 0 to High(a) do
  begin
    if i > 0 then Result := Result + ',';
    Result := Result + IntToStr(a[i]);
  end;
end;

var
  data: array[0..7] of Integer;
begin
  data[0] := 3; data[1] := 141; data[2] := 59; data[3] := 26;
  data[4] := 5; data[5] := 358; data[6] := 97; data[7] := 9;
  SortDescending(data);
  Result := Join(data);
end.
