// The macros that describe the machine. Every one answers a text: where the system cannot
// tell, the macro's placeholder (its interface text, or the empty text) with a log line.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::system {

std::string zvxBrief(macros::MacroCall& call);
std::string zvxVolume(macros::MacroCall& call);
std::string zvxStartupInfo(macros::MacroCall& call);
std::string zvxMouseInfo(macros::MacroCall& call);
std::string zvxMousePos(macros::MacroCall& call);
std::string zvxMouseWay(macros::MacroCall& call);
std::string zvxMouseSpeed(macros::MacroCall& call);
std::string zvxKbd(macros::MacroCall& call);
std::string zvxPrn(macros::MacroCall& call);
std::string zvxDrvList(macros::MacroCall& call);
std::string zvxProcList(macros::MacroCall& call);
std::string zvxTaskList(macros::MacroCall& call);
std::string zvxScreenRes(macros::MacroCall& call);
std::string zvxScreenDepth(macros::MacroCall& call);
std::string zvxScreenRRate(macros::MacroCall& call);
std::string zvxCpuSpeed(macros::MacroCall& call);
std::string zvxCpuTicks(macros::MacroCall& call);
std::string zvxTickCount(macros::MacroCall& call);
std::string zvxCpuName(macros::MacroCall& call);
std::string zvxCpuField(macros::MacroCall& call);  // ZVX_CPU
std::string zvxCpuVendor(macros::MacroCall& call);
std::string zvxCpuNameL(macros::MacroCall& call);
std::string zvxCompName(macros::MacroCall& call);
std::string zvxUserName(macros::MacroCall& call);
std::string zvxBatt(macros::MacroCall& call);
std::string zvxBattSecLeft(macros::MacroCall& call);
std::string zvxMemLoad(macros::MacroCall& call);
std::string zvxMemTPhys(macros::MacroCall& call);
std::string zvxMemAPhys(macros::MacroCall& call);
std::string zvxMemTPage(macros::MacroCall& call);
std::string zvxMemAPage(macros::MacroCall& call);
std::string zvxMemTVirt(macros::MacroCall& call);
std::string zvxMemAVirt(macros::MacroCall& call);
std::string zvxWinVer(macros::MacroCall& call);
std::string zvxBiosName(macros::MacroCall& call);
std::string zvxBiosCopy(macros::MacroCall& call);
std::string zvxBiosInfo(macros::MacroCall& call);
std::string zvxBiosDate(macros::MacroCall& call);
std::string zvxTz(macros::MacroCall& call);
std::string zvxTzBias(macros::MacroCall& call);

}  // namespace qbx::functions::system
