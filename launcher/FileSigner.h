// Decides whether a program file may be started: its embedded signature must be
// genuine and its first signer the expected publisher.
#pragma once

#include <string>

// The publisher whose programs ExecuteProcess starts.
extern const wchar_t ExpectedSignerName[];

// True when the file at filePath (used exactly as given) carries an embedded
// Authenticode signature that verifies against the file's contents, whose first
// signer's certificate chains to a trusted root (its validity period aside),
// and whose subject's simple display name equals expectedSigner with the
// letters A to Z compared without case. False for every failure; revocation is
// not checked, as that needs the network. Every resource obtained is released
// before it returns. The caller makes sure the path names a file on disk:
// reading a device such as a serial port may wait forever.
bool CheckFileSigner(const std::wstring &filePath,
                     const std::wstring &expectedSigner);
