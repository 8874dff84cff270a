@SCRIPT Initials
@LANG JS
// FNINITIALS("Anna Maria Smith"): the initials of the words of the first parameter.
GetParams();
var words = String(ParamCount > 0 ? ParamStr[1] : "").split(/\s+/);
var initials = "";
for (var i = 0; i < words.length; i++)
  if (words[i].length > 0) initials += words[i].charAt(0).toUpperCase() + ".";
initials;
