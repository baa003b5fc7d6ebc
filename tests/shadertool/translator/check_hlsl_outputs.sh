#!/usr/bin/env bash
# Writes the HLSL translator's outputs (the shader test that does so runs under Wine) and has
# glslangValidator's HLSL front end judge each one, vertex or pixel stage by its name.
set -uo pipefail
shopt -s nullglob
emulator=$1 tests=$2 folder=$3
rm -rf "$folder"
"$emulator" "$tests" --gtest_filter='HLSLTranslationJudges.OutputsAreWrittenForGlslangsHLSLFrontEnd' >/dev/null || {
  echo "the test that writes the outputs failed"; exit 1; }
status=0 count=0
for file in "$folder"/*; do
  case $file in *.vert) stage=vert ;; *) stage=frag ;; esac
  count=$((count + 1))
  if ! glslangValidator -D -V -S "$stage" -e main -o /dev/null "$file"; then
    echo "--- $file"; cat -n "$file"; status=1
  fi
done
[ "$count" -gt 0 ] || { echo "no outputs in $folder"; exit 1; }
echo "$count HLSL outputs judged"
exit $status
