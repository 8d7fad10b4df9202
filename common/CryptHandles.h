// Owners for CryptoAPI handles and contexts.
#pragma once

#include "common/UniqueResource.h"

#include <wincrypt.h>
#include <windows.h>

namespace detail {
inline void ReleaseCryptProv(HCRYPTPROV h) { ::CryptReleaseContext(h, 0); }
inline void DestroyCryptHash(HCRYPTHASH h) { ::CryptDestroyHash(h); }
inline void CloseCertStore(HCERTSTORE h) { ::CertCloseStore(h, 0); }
inline void CloseCryptMsg(HCRYPTMSG h) { ::CryptMsgClose(h); }
inline void FreeCertContext(PCCERT_CONTEXT c) {
  ::CertFreeCertificateContext(c);
}
inline void FreeCertChain(PCCERT_CHAIN_CONTEXT c) {
  ::CertFreeCertificateChain(c);
}
} // namespace detail

using UniqueCryptProv =
    UniqueResource<NullHandleTraits<HCRYPTPROV, detail::ReleaseCryptProv>>;
using UniqueCryptHash =
    UniqueResource<NullHandleTraits<HCRYPTHASH, detail::DestroyCryptHash>>;
using UniqueCertStore =
    UniqueResource<NullHandleTraits<HCERTSTORE, detail::CloseCertStore>>;
using UniqueCryptMsg =
    UniqueResource<NullHandleTraits<HCRYPTMSG, detail::CloseCryptMsg>>;
using UniqueCertContext =
    UniqueResource<NullHandleTraits<PCCERT_CONTEXT, detail::FreeCertContext>>;
using UniqueCertChainContext = UniqueResource<
    NullHandleTraits<PCCERT_CHAIN_CONTEXT, detail::FreeCertChain>>;
