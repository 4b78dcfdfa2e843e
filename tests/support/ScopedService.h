#pragma once

#include "platform/Platform.h"

namespace veltrin::test {

// Installs a fake platform service for as long as the guard lives and then
// puts back whatever was installed before, also when a failed assertion ends
// the test early: no service is ever left pointing at a destroyed fake.
template <class Service, Service& (*Current)(), void (*Install)(Service*)>
class ScopedService {
public:
    explicit ScopedService(Service& fake) : previous_(&Current()) { Install(&fake); }
    ~ScopedService() { Install(previous_); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    Service* previous_;
};

using ScopedMessages = ScopedService<Messages, veltrin::messages, veltrin::setMessages>;
using ScopedClock = ScopedService<Clock, veltrin::clock, veltrin::setClock>;
using ScopedShell = ScopedService<Shell, veltrin::shell, veltrin::setShell>;
using ScopedSound = ScopedService<Sound, veltrin::sound, veltrin::setSound>;
using ScopedHelp = ScopedService<Help, veltrin::help, veltrin::setHelp>;
using ScopedAutostart = ScopedService<Autostart, veltrin::autostart, veltrin::setAutostart>;

}  // namespace veltrin::test
