#include "platform/regional.h"

#include "platform/regional_system.h"

namespace platform {

namespace {

struct SettingsInForce
{
    bool loaded = false;
    RegionalSettings settings;
};

SettingsInForce& settingsInForce()
{
    static SettingsInForce state;
    return state;
}

} // namespace

RegionalSettings readSystemRegionalSettings()
{
    return detail::readSystemSettings();
}

const RegionalSettings& regionalSettings()
{
    SettingsInForce& state = settingsInForce();
    if (!state.loaded) {
        state.settings = readSystemRegionalSettings();
        state.loaded = true;
    }
    return state.settings;
}

void reloadRegionalSettings()
{
    SettingsInForce& state = settingsInForce();
    state.settings = readSystemRegionalSettings();
    state.loaded = true;
}

void setRegionalSettings(const RegionalSettings& settings)
{
    SettingsInForce& state = settingsInForce();
    state.settings = settings;
    state.loaded = true;
}

} // namespace platform
