// An exception re-raised from a handler reaches the outer handler; finally blocks run in order.
type
  EStep = class(Exception);
var
  trace: string;

procedure Inner(n: Integer);
begin
  try
    trace := trace + 'inner' + IntToStr(n) + ' ';
    if n > 1 then raise EStep.Create('step ' + IntToStr(n) + ' failed');
  finally
    trace := trace + 'finally' + IntToStr(n) + ' ';
  end;
end;

procedure Middle(n: Integer);
begin
  try
    Inner(n);
  except
    on E: EStep do
    begin
      trace := trace + 'middle saw "' + E.Message + '" ';
      raise;
    end;
  end;
end;

var
  i: Integer;
begin
  trace := '';
  for i := 1 to 2 do
    try
      Middle(i);
      trace := trace + 'done' + IntToStr(i) + nl;
    except
      on E: Exception do
        trace := trace + 'outer caught ' + E.ClassName + nl;
    end;
  Result := trace;
end.
