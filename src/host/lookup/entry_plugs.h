// The host's entry plugs "新客户" and "新供应商": a small dialog (Tkhbmkeditform,
// Tgysbmkeditform) returns code, name, tel, lxr, addr (or just the name as its text)
// and the row is added to the customers / suppliers of the store. The window that
// opened the entry (its owner) may take the row just made and use it as a pick.
#pragma once

#include <string>

namespace host {

class FormModel;

//! Registers "新客户" and "新供应商" in plugsPool().
void registerEntryPlugs();

//! The row the last entry opened by `owner` made, as a one-row JSON array text (the
//! shape of a lookup's pick), and forgets it; "" when that entry made none.
std::string takeEntryMadeFor(const FormModel* owner);

}  // namespace host
