// Nested routines reach the variables and parameters of the routine around them.
function Report(const title: string; const values: array of Integer): string;
var
  total, count: Integer;
  lines: string;

  procedure Add(v: Integer);
  begin
    Inc(total, v);
    Inc(count);
  end;

  function Line(const caption: string; v: Integer): string;

    function Stars(n: Integer): string;
    begin
      Result := StringOfChar('*', n div 10);
    end;

  begin
    Result := title + '.' + caption + ' ' + IntToStr(v) + ' ' + Stars(v) + nl;
  end;

var
  i: Integer;
begin
  total := 0;
  count := 0;
  lines := '';
  for i := 0 to High(values) do
  begin
    Add(values[i]);
    lines := lines + Line('value' + IntToStr(i + 1), values[i]);
  end;
  Result := lines + Line('total', total) + title + ' count ' + IntToStr(count);
end;

begin
  Result := Report('q1', [30, 45, 12]) + nl + Report('q2', [7]);
end.
