#!/bin/sh
# exports.sh OBJDUMP BIN_DIR: Lib.dll, Rasterizer.dll and Platform.dll export
# by name exactly what the Linux libraries export (Test_Exports): the
# callback's destructor and Throw_Assertion, and the rasterizer interface's
# destructor, each with the vtable and type information a derived class in
# another module needs, and the platform's allow-list; demo.exe imports the
# destructor and Throw_Assertion from Lib.dll; and no test program loads the
# release Lib.dll or Platform.dll beside the test library.
objdump=$1
bin=$2
status=0

# Names in the export table, one a line.
exports() {
  "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p'
}

check() { # dll allowed required
  names=$(exports "$bin/$1")
  if [ -z "$names" ]; then
    echo "$1: no exports found"
    status=1
    return
  fi
  ok=1
  for name in $names; do
    case " $2 " in
      *" $name "*) ;;
      *) echo "$1: unexpected export $name"; ok=0 ;;
    esac
  done
  for name in $3; do
    echo "$names" | grep -qx "$name" || { echo "$1: missing export $name"; ok=0; }
  done
  if [ $ok -eq 1 ]; then echo "$1: exports as expected:" $names; else status=1; fi
}

callback="_ZN7Ryx_Lib8CallbackD0Ev _ZN7Ryx_Lib8CallbackD1Ev _ZN7Ryx_Lib8CallbackD2Ev"
callback_type="_ZTVN7Ryx_Lib8CallbackE _ZTIN7Ryx_Lib8CallbackE _ZTSN7Ryx_Lib8CallbackE"
throw="_ZN7Ryx_Lib15Throw_AssertionEPKcS1_S1_j"
check Lib.dll "$callback $callback_type $throw" \
  "_ZN7Ryx_Lib8CallbackD2Ev $throw _ZTVN7Ryx_Lib8CallbackE _ZTIN7Ryx_Lib8CallbackE"

rasterizer="_ZN14Ryx_Rasterizer10RasterizerD0Ev _ZN14Ryx_Rasterizer10RasterizerD1Ev _ZN14Ryx_Rasterizer10RasterizerD2Ev"
rasterizer_type="_ZTVN14Ryx_Rasterizer10RasterizerE _ZTIN14Ryx_Rasterizer10RasterizerE _ZTSN14Ryx_Rasterizer10RasterizerE"
check Rasterizer.dll "$rasterizer $rasterizer_type" \
  "_ZN14Ryx_Rasterizer10RasterizerD2Ev _ZTVN14Ryx_Rasterizer10RasterizerE _ZTIN14Ryx_Rasterizer10RasterizerE"

# The platform's calls, Tests/Platform_Exports.txt, compared by qualified name
# (c++filt demangles MinGW's names as it does Linux's).
platform=$(grep -v '^#' "$(dirname "$0")/../Platform_Exports.txt" | tr '\n' ' ')
names=$(exports "$bin/Platform.dll" | c++filt | sed 's/[([].*//' | sort -u)
ok=1
[ -n "$names" ] || { echo "Platform.dll: no exports found"; ok=0; }
for name in $names; do
  case " $platform " in
    *" $name "*) ;;
    *) echo "Platform.dll: unexpected export $name"; ok=0 ;;
  esac
done
for name in $platform; do
  echo "$names" | grep -qx "$name" || { echo "Platform.dll: missing export $name"; ok=0; }
done
if [ $ok -eq 1 ]; then echo "Platform.dll: exports its $(echo "$names" | wc -l) calls, as expected"; else status=1; fi

for program in "$bin"/Test_*.exe; do
  if "$objdump" -p "$program" | grep -qE 'DLL Name: (Lib|Platform)\.dll$'; then
    echo "$(basename "$program"): loads a release library beside Platform_Test.dll"
    status=1
  fi
done

# And demo.exe imports exactly two of them from Lib.dll, by name.
imports=$("$objdump" -p "$bin/demo.exe" | sed -n '/DLL Name: Lib.dll/,/^$/s/^[[:space:]]*[0-9a-f]*[[:space:]]*[0-9]*  //p' | sort)
expected=$(printf '%s\n' "$throw" _ZN7Ryx_Lib8CallbackD2Ev | sort)
if [ "$imports" = "$expected" ]; then
  echo "demo.exe: imports from Lib.dll:" $imports
else
  echo "demo.exe: imports from Lib.dll:" $imports "(expected:" $expected")"
  status=1
fi
exit $status
