#!/usr/bin/env bash
# Judges translated shader text with the real compilers on the Linux side. Tests under Wine
# cannot start Linux programs, so this runs the translator's tests whose names contain
# "CompilerOutputs" under Wine with QUAVEN_SHADER_OUTPUTS naming an empty folder, where they
# write each translation as "<name>.<TARGET>.<vertex|pixel>". glslangValidator then compiles
# every GLSL21, GLSL31, ESSL20 and ESSL30 file (after the #version line its target implies,
# when it has none) and, with its HLSL front end, every HLSL9 and HLSL11 file. PSSL has no
# compiler here. Usage: judge_shader_outputs.sh WINE_RUN TEST_EXECUTABLE OUTPUT_FOLDER
set -uo pipefail
wine_run=$1 tests=$2 folder=$3
rm -rf "$folder" && mkdir -p "$folder"
QUAVEN_SHADER_OUTPUTS="Z:$folder" bash "$wine_run" "$tests" --gtest_filter='*CompilerOutputs*' >"$folder.log" 2>&1 || {
  cat "$folder.log"; echo "the tests that write the outputs failed"; exit 1; }
scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT
judged=0 failed=0
for file in "$folder"/*.*.*; do
  name=${file##*/} stage=${file##*.} target=${name%.*} && target=${target##*.}
  [ "$stage" = vertex ] && kind=vert || kind=frag
  options=()
  case $target in
    ESSL20) version="#version 100" ;; ESSL30) version="#version 300 es" ;;
    GLSL21) version="#version 120" ;; GLSL31) version="#version 140" ;;
    # The HLSL front end works only towards SPIR-V, which is thrown away.
    HLSL9 | HLSL11) version=""; options=(-D -V -e main -o /dev/null) ;;
    *) continue ;;
  esac
  { [ -n "$version" ] && ! grep -q '^#version' "$file" && echo "$version"; cat "$file"; } >"$scratch/$name.txt"
  judged=$((judged + 1))
  if ! glslangValidator "${options[@]}" -S "$kind" "$scratch/$name.txt" >"$scratch/out" 2>&1; then
    failed=$((failed + 1)) && echo "FAILED: $file" && cat "$scratch/out" && cat -n "$scratch/$name.txt"
  fi
done
echo "$judged outputs judged, $failed failed"
[ "$judged" -gt 0 ] && [ "$failed" -eq 0 ]
