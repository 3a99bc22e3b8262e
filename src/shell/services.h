#pragma once

#include "common/clock.h"
#include "common/messages.h"
#include "common/random.h"
#include "settings/settings_store.h"
#include "shell/remarks.h"

namespace velmora {

// The side effects a command needs, handed in by the front end that runs it:
// the desktop program plugs in the real ones, tests and the command line
// recording or fixed ones.
struct Services {
    SettingsStore& settings;
    MessageSink& messages;
    RandomSource& random;
    const Clock& clock;
    const RemarkList& remarks;
};

} // namespace velmora
