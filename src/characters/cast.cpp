#include "src/characters/cast.h"

namespace horalia::characters {

namespace {

agent::Character* loadOne(agent::Control* control, const QString& name) {
    if (control == nullptr) {
        return nullptr;
    }
    if (control->item(name) == nullptr && !control->load(name, name + QStringLiteral(".acs"))) {
        return nullptr;
    }
    return control->item(name);
}

}  // namespace

void loadCast(Cast& cast, const QString& name1, const QString& name2) {
    cast.name1 = name1;
    cast.name2 = name2;
    cast.character1 = loadOne(cast.agent1, name1);
    cast.character2 = loadOne(cast.agent2, name2);
}

}  // namespace horalia::characters
