// The scenario files the reliability tests play: the project's end-to-end scenarios
// that end normally and the recipes kept beside these tests for bills no scenario
// saves, audits and un-audits.
#pragma once

#include <string>
#include <vector>

namespace reliability {

//! Paths, sorted; scenarios that expect a non-zero exit code are left out.
std::vector<std::string> scenarioFiles();

//! Plug codes of the pool's items whose form is a bill editor (registers everything).
std::vector<std::string> billEditorCodes();

}  // namespace reliability
