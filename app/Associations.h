// The program as the shell's opener of chosen file extensions: registration with a backup of
// what each extension's keys held, its undo, the re-registration at start-up, and the logic of
// the preferences page that chooses the extensions.
//
// Registry writes that the system refuses (no administrative rights) never stop the other
// steps: each routine goes on and returns false, so that its caller tells the user once.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/StringLists.h"
#include "framework/Types.h"

class TOptions;

// The key under HKEY_CLASSES_ROOT whose sub-keys name the associated extensions.
extern const wchar_t* const AssociationsBackupKey;

// The shell command of an extension: the quoted executable path and "%1" in quotes.
WideString AssociationCommand();

// Register: ".ext" names "extfile", whose open command and (for a new extension) icon are the
// program's; what the keys held before is kept under the backup key, a backup made earlier is
// never overwritten. Not Register: the backup written back and removed. Ext is without a dot.
bool RegisterAssociation(const WideString& Ext, bool Register);
// Undoes every extension of the backup key; the key itself stays, empty.
bool UnregisterAllAssociations();
// Writes the program's keys again for every extension of the backup key, which stays as it is.
bool RestoreAssociations();
// The extensions of the backup key; List is left alone when there is no backup key.
void GetAssociatedExtensions(TStringsW* List);

bool IsGroupMember(uint32_t RID);
// Whether the user may change the associations: membership of the administrators' group, or
// what a check put in its place says.
bool IsAdministrator();
// Replaces the check IsAdministrator makes (null puts the system's back); gives the one before.
using TAdministratorCheck = bool (*)();
TAdministratorCheck SetAdministratorCheck(TAdministratorCheck Check);

// The preferences page's association settings.
struct TAssociationChoice {
  bool Txt = false, Inf = false, Ini = false, Log = false;
  bool Other = false;
  WideString OtherText = L".lng .todo";
  bool RestoreAtStartUp = false;
};
// The extensions a choice registers, in order: the "Other" words first, then txt, inf, ini and
// log; words without letters or digits are dropped.
std::vector<WideString> ChosenExtensions(const TAssociationChoice& Choice);
// The page's OK: for a user who may change them (the page's boxes are disabled for others, and
// then nothing is touched) and a choice other than what is registered, every association
// undone and the chosen ones registered; the start-up option set. False when some registry
// write was refused; every step is still tried.
bool ApplyAssociationChoice(const TAssociationChoice& Choice, TOptions& Options);
// What the page shows: the registered extensions, and the start-up option. FormChoice carries
// the page's texts as its form has them.
TAssociationChoice ReadAssociationChoice(const TOptions& Options, const TAssociationChoice& FormChoice);
