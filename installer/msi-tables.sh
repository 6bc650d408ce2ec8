#!/usr/bin/env bash
# What wixl cannot say, written into the MSI package it built:
#   installer/msi-tables.sh PACKAGE.msi
# - the event source's file as REG_EXPAND_SZ ("#%");
# - the two steps that make the installation folder with Ordnerrechte.exe
#   from the Binary table before any file is placed, in their places (3074: an exe from the
#   Binary table, deferred, not impersonated, its exit code checked), and
#   the rollback of a first installation that removes the folder again
#   while it is empty (3394: the same, run only on rollback, its exit code
#   ignored), so that a failed first installation can be tried again;
# - the properties that a managed install may pass to the elevated part
#   (not VORGABE: a standard user must not name a file for SYSTEM to place).
# package.sh runs it; the installer test runs it on the next version it builds.
set -euo pipefail
msibuild "${1:?MSI package}" \
    -q "UPDATE \`Registry\` SET \`Value\` = '#%[INSTALLDIR]ZelkorBackup.exe' WHERE \`Name\` = 'EventMessageFile'" \
    -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;NSISINSTALLED' WHERE \`Property\` = 'SecureCustomProperties'" \
    -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('MakeFolder', 3074, 'OrdnerrechteExe', '\"[INSTALLDIR]\\\"')" \
    -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('RenewFolder', 3074, 'OrdnerrechteExe', '/erneuern \"[INSTALLDIR]\\\"')" \
    -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('UndoFolder', 3394, 'OrdnerrechteExe', '/entfernen \"[INSTALLDIR]\\\"')" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('UndoFolder', 'NOT Installed AND NOT WIX_UPGRADE_DETECTED AND NOT REMOVE', 3689)" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('MakeFolder', 'NOT Installed AND NOT WIX_UPGRADE_DETECTED AND NOT REMOVE', 3690)" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('RenewFolder', '(Installed OR WIX_UPGRADE_DETECTED) AND NOT REMOVE', 3691)"
