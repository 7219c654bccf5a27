// The release's version: the plug-in's record, both programs' --version and the newest entry of
// CHANGELOG.md carry it (the build reads it from this line; a test checks the changelog).
#pragma once

#define WINGLEAF_VERSION "1.0.0"
