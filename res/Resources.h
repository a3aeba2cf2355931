#pragma once

// Makes sure the embedded artwork (":/res/panel.png", ":/res/icon-16.png",
// ":/res/icon-32.png", ":/res/icon-48.png") is registered. Safe to call more than once.
void rv_initResources();
