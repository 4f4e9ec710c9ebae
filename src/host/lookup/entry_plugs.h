// The host's entry plugs "新客户" and "新供应商": a small dialog (Tkhbmkeditform,
// Tgysbmkeditform) returns code, name, tel, lxr, addr (or just the name as its text)
// and the row is added to the customers / suppliers of the store.
#pragma once

namespace host {

//! Registers "新客户" and "新供应商" in plugsPool().
void registerEntryPlugs();

}  // namespace host
