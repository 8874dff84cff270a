// try/except and try/finally with the library's own exceptions.
var
  log: string;

function SafeDiv(a, b: Integer): string;
begin
  try
    Result := IntToStr(a div b);
  except
    on E: EDivByZero do
      Result := 'division by zero (' + E.ClassName + ')';
  end;
end;

function Parse(const s: string): Integer;
begin
  try
    Result := StrToInt(s);
  except
    on EConvertError do
      Result := -1;
  end;
end;

begin
  log := SafeDiv(10, 3) + nl + SafeDiv(1, 0) + nl;
  log := log + IntToStr(Parse('123')) + ' ' + IntToStr(Parse('12a')) + nl;
  try
    try
      log := log + 'working; ';
      raise Exception.Create('stopped on purpose');
      log := log + 'never here; ';
    finally
      log := log + 'cleaned up; ';
    end;
  except
    on E: Exception do
      log := log + 'caught: ' + E.Message;
  end;
  Result := log;
end.
