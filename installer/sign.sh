#!/usr/bin/env bash
# Signs one Windows executable in place with osslsigncode:
#   installer/sign.sh FILE
# The certificate comes from ZB_SIGN_CERT and ZB_SIGN_KEY (PEM or DER files)
# or from ZB_SIGN_PKCS12 (a .pfx/.p12 file); ZB_SIGN_PASS is the key's
# password, if any. The signature is time-stamped by ZB_SIGN_TIMESTAMP_URL
# (an RFC 3161 server; empty for none). A signature without a time stamp
# stops being valid when the certificate expires, so when the server gives
# none, signing fails, unless ZB_SIGN_ALLOW_NO_TIMESTAMP=1 says that such a
# signature will do.
set -euo pipefail
file=${1:?file to sign}
: "${ZB_SIGN_TIMESTAMP_URL=http://timestamp.digicert.com}"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zbsign.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

args=(sign -h sha256 -n "ZELKOR Backup")
if [ -n "${ZB_SIGN_PKCS12:-}" ]; then
    args+=(-pkcs12 "$ZB_SIGN_PKCS12")
elif [ -n "${ZB_SIGN_CERT:-}" ] && [ -n "${ZB_SIGN_KEY:-}" ]; then
    args+=(-certs "$ZB_SIGN_CERT" -key "$ZB_SIGN_KEY")
else
    echo "sign.sh: set ZB_SIGN_CERT and ZB_SIGN_KEY, or ZB_SIGN_PKCS12" >&2
    exit 1
fi
if [ -n "${ZB_SIGN_PASS:-}" ]; then
    # Through a file, so the password does not show in the process list.
    (umask 077 && printf '%s' "$ZB_SIGN_PASS" >"$tmp/pass")
    args+=(-readpass "$tmp/pass")
fi

if [ -n "$ZB_SIGN_TIMESTAMP_URL" ] &&
   ! osslsigncode "${args[@]}" -ts "$ZB_SIGN_TIMESTAMP_URL" -in "$file" -out "$tmp/signed" >"$tmp/log" 2>&1; then
    rm -f "$tmp/signed"
    if [ "${ZB_SIGN_ALLOW_NO_TIMESTAMP:-}" != 1 ]; then
        cat "$tmp/log" >&2
        echo "sign.sh: signing $(basename "$file") with a time stamp from $ZB_SIGN_TIMESTAMP_URL failed (see above); not signed." >&2
        echo "sign.sh: try again, name another server in ZB_SIGN_TIMESTAMP_URL, or set ZB_SIGN_ALLOW_NO_TIMESTAMP=1 to sign without one." >&2
        exit 1
    fi
    echo "sign.sh: no time stamp from $ZB_SIGN_TIMESTAMP_URL; signing $(basename "$file") without one, as ZB_SIGN_ALLOW_NO_TIMESTAMP=1 allows" >&2
fi
if [ ! -f "$tmp/signed" ]; then
    osslsigncode "${args[@]}" -in "$file" -out "$tmp/signed" >"$tmp/log" 2>&1 || { cat "$tmp/log" >&2; exit 1; }
fi
cat "$tmp/signed" >"$file"
