var s = "";
for (var i = 0; i < 3; i++) { s += i; }
while (s.length < 9) s += "x";
do { s = s.replace(/x/g, "/"); } while (false)
function f(a) { try { return a / 2; } catch (e) { } finally { } }
f(s)
