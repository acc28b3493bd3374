#pragma once

// Makes Qt's own texts (file dialogs, the edit fields' menus, standard buttons) Czech,
// whatever the system's language: the program speaks Czech only. Needs an application
// object; false when Qt's Czech translations are not installed.
bool InstallQtCzech();
