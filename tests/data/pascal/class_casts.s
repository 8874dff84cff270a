@SCRIPT class_casts
@LANG PAS
// Hard class casts of the exception object: Exception(ExceptObject), EConvertError(E).
program Casts;
var
  log: string;
  n: Integer;
begin
  log := '';
  try
    raise Exception.Create('no twelve');
  except
    log := log + 'caught: ' + Exception(ExceptObject).Message + nl;
    log := log + 'class: ' + Exception(ExceptObject).ClassName + nl;
  end;
  try
    raise EConvertError.Create('bad date');
  except
    on E: Exception do
      if E is EConvertError then
        log := log + 'convert: ' + EConvertError(E).Message + nl;
  end;
  try
    n := 0;
    n := 10 div n;
  except
    on E: EDivByZero do
      log := log + EDivByZero(E).ClassName + ' ' + IntToStr(Length(Exception(E).Message)) + nl;
  end;
  Result := log;
end.
