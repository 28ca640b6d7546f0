// SPDX-License-Identifier: GPL-3.0-or-later
// runTool(tool, optionsJson[, onProgress]) on the module: the C++ entry (runToolEntry, in
// engine_module.cpp) takes its three arguments always, as Emscripten's bindings require, so
// this lets a caller leave out the progress. Linked with --post-js into the module's factory.
Module['runTool'] = function (tool, optionsJson, onProgress) {
  return Module['runToolEntry'](tool, optionsJson, onProgress);
};
