#pragma once
// The stand-in editor's application object: one per process, registered as the running instance
// of the editor's class so that the library finds it the way it finds the real editor.

#include <windows.h>

namespace velmo::standin {

// {21E12FF3-C746-4711-A347-D6116D52D2E7}, registered under the editor's identifier
// "FrontPage.Application" in test prefixes only.
inline constexpr CLSID kStandInClsid = {
    0x21e12ff3, 0xc746, 0x4711, {0xa3, 0x47, 0xd6, 0x11, 0x6d, 0x52, 0xd2, 0xe7}};

// Hands out the process's application object, creating and registering it on first use.
HRESULT createApplication(REFIID iid, void** out);

}  // namespace velmo::standin
