#pragma once
// The two dialog templates of the player: name entry (102) and launch (103).
constexpr int kNameEntryTemplate = 102;
constexpr int kBootTemplate = 103;

// Registers both with the dialog layer (idempotent).
void RegisterAppDialogTemplates();
