// ExceptObject inside a handler, a bare except, and an exception object kept for later.
var
  log: string;
  i: Integer;
  values: array[1..3] of string;
begin
  values[1] := '10';
  values[2] := 'ten';
  values[3] := '0';
  log := '';
  for i := 1 to 3 do
    try
      log := log + IntToStr(100 div StrToInt(values[i])) + nl;
    except
      log := log + values[i] + ': ' + (ExceptObject as Exception).ClassName + nl;
    end;
  try
    raise EConvertError.Create('no such operation');
  except
    on E: Exception do
      if ExceptObject = E then log := log + 'same object: ' + E.Message;
  end;
  Result := log;
end.
