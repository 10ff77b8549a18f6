#!/usr/bin/env bash
# The Windows images of dist/ as the loader meets them: each carries exactly
# one manifest among the ids Windows reserves (1 to 16), well-formed
# (xmllint), saying what it should, each setting in its own namespace; the
# setup users start is a 32-bit program, the installer it carries a 64-bit
# one; and ravlin-capture.exe starts under Wine with its manifest.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
need_dist ravlin64.exe Ravlin.exe Quillset.cpl ravlin-capture.exe
here=$(dirname "$0")

# xpath FILE EXPRESSION: the string value, namespaces by URI.
xpath() { xmllint --xpath "string($2)" "$1" 2>/dev/null; }
el() { echo "//*[local-name()='$1' and namespace-uri()='$2']"; }
asm1=urn:schemas-microsoft-com:asm.v1
asm3=urn:schemas-microsoft-com:asm.v3
compat=urn:schemas-microsoft-com:compatibility.v1
settings2005=http://schemas.microsoft.com/SMI/2005/WindowsSettings

for image in ravlin64.exe Ravlin.exe ravlin-capture.exe Quillset.cpl; do
  id=1; [ "$image" = Quillset.cpl ] && id=2
  echo "$image"
  ids=$(python3 "$here/pe_resource.py" "$DIST/$image" 24 --ids | awk '$1 >= 1 && $1 <= 16' | tr '\n' ' ')
  check_eq "$image: one manifest, id $id" "$ids" "$id "
  manifest=$scratch/$image.manifest
  python3 "$here/pe_resource.py" "$DIST/$image" 24 "$id" >"$manifest"
  check "$image: the manifest is well-formed" xmllint --noout "$manifest"
  if [ "$image" = Quillset.cpl ]; then
    check_eq "$image: the manifest declares nothing" "$(xpath "$manifest" "count(/*/*)")" 0
    continue
  fi
  check_eq "$image: asInvoker" "$(xpath "$manifest" "$(el requestedExecutionLevel $asm3)/@level")" asInvoker
  check_eq "$image: no UI access" "$(xpath "$manifest" "$(el requestedExecutionLevel $asm3)/@uiAccess")" false
  for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
            1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    check_eq "$image: supported OS {$os}" \
      "$(xpath "$manifest" "count($(el supportedOS $compat)[@Id='{$os}'])")" 1
  done
  check_eq "$image: common controls 6" \
    "$(xpath "$manifest" "$(el dependentAssembly $asm1)/*[@name='Microsoft.Windows.Common-Controls']/@version")" 6.0.0.0
  check_eq "$image: aware of the system DPI" "$(xpath "$manifest" "$(el dpiAware $settings2005)")" true
done

machine() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); p=struct.unpack_from("<I",d,0x3C)[0]; print(hex(struct.unpack_from("<H",d,p+4)[0]))' "$1"; }
setup=$(ls "$DIST"/Ravlin-*-setup.exe 2>/dev/null | head -1)
setup64=$(ls "$DIST"/Ravlin-*-setup64.exe 2>/dev/null | head -1)
if [ -n "$setup" ] && [ -n "$setup64" ]; then
  check_eq "the setup users start is a 32-bit program" "$(machine "$setup")" 0x14c
  check_eq "the installer inside it is a 64-bit program" "$(machine "$setup64")" 0x8664
fi

new_prefix images >/dev/null
"$WINE" "$DIST/ravlin-capture.exe" >/dev/null 2>&1
check_eq "ravlin-capture.exe starts (no folder given: exit code 2)" "$?" 2
finish
