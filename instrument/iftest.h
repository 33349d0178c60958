// The interface test behind the settings page's test button: opens every
// analyser of the set-up with PreparePort, resets it and checks that it
// identifies itself. Messages go through DriverMessage.
#pragma once

// Uses para.analyser, if_gpib, gpib_address, com_port, baudrate and the
// channel table `id`. Returns 0 when all analysers answered, else -1.
int InterfaceTest();
