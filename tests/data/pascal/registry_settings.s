@SCRIPT registry_settings
@LANG PAS
// fpc cannot run: Free Pascal's TRegistry keeps its keys in a file of its own outside Windows.
// Remembers a few settings under the current user's key, reads them back and removes them.
var
  Reg: TRegistry;
  Runs: Integer;
begin
  Reg := TRegistry.Create;
  try
    Reg.RootKey := HKEY_CURRENT_USER;
    if Reg.OpenKey('Software\Quilbex Corpus\Notes', True) then
    begin
      Reg.WriteString('Owner', ParamStr(1));
      Reg.WriteInteger('Runs', 41);
      Reg.WriteBool('Enabled', True);
      Reg.CloseKey;
    end;
    if Reg.OpenKeyReadOnly('Software\Quilbex Corpus\Notes') then
    begin
      Runs := Reg.ReadInteger('Runs') + 1;
      Result := 'owner: ' + Reg.ReadString('Owner') + nl + 'runs: ' + IntToStr(Runs) + nl +
        'enabled: ' + BoolToStr(Reg.ReadBool('Enabled'), True) + nl +
        'theme: [' + Reg.ReadString('Theme') + ']' + nl;
      try
        Reg.WriteString('Theme', 'dark');
      except
        on E: ERegistryException do
          Result := Result + 'read only: ' + E.Message + nl;
      end;
      try
        Runs := Reg.ReadInteger('Theme');
      except
        on E: ERegistryException do
          Result := Result + 'no theme: ' + E.Message + nl;
      end;
      Reg.CloseKey;
    end;
    Result := Result + 'removed: ' + BoolToStr(Reg.DeleteKey('Software\Quilbex Corpus'), True) +
      ', left: ' + BoolToStr(Reg.KeyExists('Software\Quilbex Corpus'), True);
  finally
    Reg.Free;
  end;
end.
