// Independent ZIP readers for the tests: Python's zipfile and Info-ZIP's unzip, run as Linux
// programs from inside Wine on archives the tests made.
#pragma once
#include <gtest/gtest.h>

#include <string>

namespace ziptest {

// Unix path of a Windows path (Wine's own mapping); empty outside Wine.
std::string UnixPath(const std::wstring& windowsPath);
// True when the Linux readers can be started (running under Wine with python3 and unzip).
bool ReadersAvailable();
// Runs a Linux program (argument words joined by spaces, already quoted); exit code, or -1.
int RunUnix(const std::string& commandLine, std::string* output = nullptr);

// "python3 -m zipfile -t" and "unzip -t" both accept the archive.
::testing::AssertionResult ReadersAccept(const std::wstring& archive);
// Unpacks with unzip into `folder` (created); the archive's paths land below it.
::testing::AssertionResult UnpackWithUnzip(const std::wstring& archive, const std::wstring& folder);
// Unpacks with Python's zipfile into `folder`.
::testing::AssertionResult UnpackWithPython(const std::wstring& archive, const std::wstring& folder);

}  // namespace ziptest
