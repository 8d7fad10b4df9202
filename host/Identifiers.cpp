// NPIdentifiers as a browser makes them: interned records that live as long as
// the process, one per string name and one per integer, so the same name
// always gives the same identifier.
#include "host/BrowserHost.h"
#include "host/BrowserState.h"

#include <climits>
#include <map>
#include <memory>
#include <set>

namespace nphost {
namespace {

struct IdentifierRecord {
  bool isString;
  std::string name;
  int32_t value;
};

struct Identifiers {
  std::map<std::string, std::unique_ptr<IdentifierRecord>> byName;
  std::map<int32_t, std::unique_ptr<IdentifierRecord>> byValue;
  std::set<const void *> known;
};

Identifiers &I() {
  static Identifiers *identifiers = new Identifiers;
  return *identifiers;
}

// The record behind an identifier, or null (counted) for one this browser
// never made: nothing is read through a pointer that is not ours.
const IdentifierRecord *Find(NPIdentifier identifier) {
  if (!I().known.count(identifier)) {
    state::CountBadIdentifier();
    return nullptr;
  }
  return static_cast<const IdentifierRecord *>(identifier);
}

template <typename Key>
NPIdentifier Intern(std::map<Key, std::unique_ptr<IdentifierRecord>> &table,
                    const Key &key, IdentifierRecord record) {
  auto &slot = table[key];
  if (!slot) {
    slot = std::make_unique<IdentifierRecord>(std::move(record));
    I().known.insert(slot.get());
  }
  return slot.get();
}

} // namespace

namespace state {

NPIdentifier GetStringIdentifier(const NPUTF8 *name) {
  if (!name) {
    CountBadIdentifier();
    return nullptr;
  }
  return Intern(I().byName, std::string(name), IdentifierRecord{true, name, 0});
}

NPIdentifier GetIntIdentifier(int32_t value) {
  return Intern(I().byValue, value, IdentifierRecord{false, {}, value});
}

bool IdentifierIsString(NPIdentifier identifier) {
  const IdentifierRecord *record = Find(identifier);
  return record && record->isString;
}

NPUTF8 *UTF8FromIdentifier(NPIdentifier identifier) {
  const IdentifierRecord *record = Find(identifier);
  if (!record || !record->isString)
    return nullptr;
  return static_cast<NPUTF8 *>(CopyBlock(
      record->name.data(), static_cast<uint32_t>(record->name.size())));
}

int32_t IntFromIdentifier(NPIdentifier identifier) {
  const IdentifierRecord *record = Find(identifier);
  // A string identifier has no integer form; answer a value no script index
  // takes.
  return record && !record->isString ? record->value : INT32_MIN;
}

} // namespace state

NPIdentifier StringIdentifier(const std::string &name) {
  return state::GetStringIdentifier(name.c_str());
}

NPIdentifier IntIdentifier(int32_t value) {
  return state::GetIntIdentifier(value);
}

} // namespace nphost
