// The bare platform calls of one machine identifier: COM, security, locator,
// connection, blanket, the two queries, one SHA-512 hash and the teardown.
#pragma once

// True when every call succeeded.
bool MachineIdBaselineCall();
