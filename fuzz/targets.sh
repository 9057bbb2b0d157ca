# The fuzz targets and how each is run; sourced by the fuzz scripts.
# One line per target: name, longest input, dictionary.
fuzz_targets() {
  cat <<'LIST'
record 16384 records.dict
config 4096 config.dict
convert 2048 -
generic_layout 4096 config.dict
writer_datax 16384 records.dict
writer_hs 16384 records.dict
writer_hs3 16384 records.dict
writer_khk8 16384 records.dict
writer_pcrewe 16384 records.dict
writer_ledax 16384 records.dict
writer_generic 16384 records.dict
writer_spk 16384 records.dict
writer_presort 16384 records.dict
LIST
}

# Runs target $1 (longest input $2, dictionary $3) for $4 seconds with the
# extra libFuzzer options that follow. New inputs go to
# $ZEKO_FUZZ_CORPUS/$1 (default build-fuzz/corpus, kept between runs);
# a crash, sanitizer report, leak, hang (10 s) or memory blow-up (2 GB)
# leaves its input as build-fuzz/artifacts/$1-* and fails the run.
fuzz_run() {
  local name=$1 max_len=$2 dict=$3 seconds=$4
  shift 4
  # Absolute paths: a target works in a directory of its own.
  local root=$PWD
  local out=$root/build-fuzz
  local bin=$out/fuzz_$name
  local corpus=${ZEKO_FUZZ_CORPUS:-$out/corpus}/$name
  mkdir -p "$corpus" "$out/artifacts"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len"
                 -artifact_prefix="$out/artifacts/$name-" -print_final_stats=1)
  [ "$dict" != - ] && options+=(-dict="$root/fuzz/$dict")
  # The kept regressions first: each must run clean.
  if compgen -G "$root/fuzz/regressions/$name/*" >/dev/null; then
    "$bin" "$root"/fuzz/regressions/"$name"/* >/dev/null 2>&1 || {
      echo "fuzz: a kept regression input of $name fails again:" >&2
      "$bin" "$root"/fuzz/regressions/"$name"/* 2>&1 | tail -40 >&2
      return 1
    }
  fi
  local seeds=()
  [ -d "$out/seeds/$name" ] && seeds=("$out/seeds/$name")
  "$bin" "${options[@]}" "$@" "$corpus" "${seeds[@]}"
}
