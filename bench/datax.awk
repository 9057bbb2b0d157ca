# The DATAX conversion of outgoing invoices (RELEASE 4) as a plain awk
# program: the same fields, widths and conversions as zeko, so that the
# benchmark can time the two side by side. For the inputs of gen_input its
# output is byte for byte zeko's.
#
#   LC_ALL=C mawk -f bench/datax.awk INPUT > DATAX.DAT
#
# Input: one record per CR LF ended line, a chain of 3-digit field number,
# 3-digit length, 3-digit format code and the value. Field values stay from
# one record to the next, as in zeko's field table.
BEGIN {
  RS = "\r\n"
  ORS = "\r\n"
  blanks = sprintf("%40s", "")
  # field, width, type code: 9 text, 0 whole number, 15 two decimals,
  # 13 date YYYYMMDD, 14 month.
  layout = "204 30 9,205 30 9,210 30 9,215 30 9,220 30 9,105 8 13,107 2 14,100 10 9," \
           "260 5 15,115 13 15,120 7 0,110 7 0,180 7 9,185 7 9,150 15 9,190 2 0," \
           "139 0 9,143 2 0,142 2 0,141 5 15,245 10 9,0 8 9,265 20 9,266 20 9," \
           "312 25 9,305 8 9,310 11 9,501 1 9,294 1 9,290 14 9,0 2 9,0 4 9,503 1 9," \
           "0 7 9,0 13 9,507 13 9,0 1 9,504 17 9,505 20 9,506 13 15"
  rows = split(layout, row, ",")
  for (i = 1; i <= rows; i++) {
    split(row[i], part, " ")
    field[i] = part[1] + 0
    width[i] = part[2] + 0
    code[i] = part[3] + 0
  }
}

function text(s, w) {
  s = substr(s, 1, w)
  return s substr(blanks, 1, w - length(s))
}

function number(x, w, decimals,    s) {
  s = sprintf("%" w "." decimals "f", x)
  return substr(s, 1, w)
}

function date(d, what) {
  if (length(d) == 8 || length(d) == 10) gsub(/ /, "0", d)
  else d = "00.00.0000"
  year = length(d) == 8 ? "19" substr(d, 7, 2) : substr(d, 7, 4)
  return what == 13 ? year substr(d, 4, 2) substr(d, 1, 2) : substr(d, 4, 2)
}

# The number after the first tag letter of the payment-terms text.
function tagged(t, tag,    at) {
  at = index(toupper(t), tag)
  return at ? substr(t, at + 1) + 0 : 0
}

# Two digits of the six-digit terms code (days, percent times ten, net days).
function codeDigits(c, at) {
  return at < length(c) ? substr(c, at + 1, 2) + 0 : 0
}

{
  line = $0
  n = length(line)
  for (pos = 1; pos + 9 <= n + 1; pos += 9 + len) {
    f = substr(line, pos, 3) + 0
    if (f == 0) break
    len = substr(line, pos + 3, 3) + 0
    v[f] = substr(line, pos + 9, len)
  }
  if (v[115] + 0 == 0) next  # bookings without an amount are left out

  out = ""
  for (i = 1; i <= rows; i++) {
    f = field[i]
    value = f ? v[f] : ""
    if (f == 139) {
      fromText = value != ""
      terms = fromText ? value : (v[140] != "" ? v[140] : "000000")
    } else if (f == 141) {
      value = fromText ? tagged(terms, "P") : codeDigits(terms, 2) / 10
    } else if (f == 142) {
      value = fromText ? int(tagged(terms, "S")) : codeDigits(terms, 0)
    } else if (f == 143) {
      value = fromText ? int(tagged(terms, "N")) : codeDigits(terms, 4)
    }
    c = code[i]
    if (c == 9) out = out text(value, width[i])
    else if (c == 15) out = out number(value, width[i], 2)
    else if (c == 0) out = out number(value, width[i], 0)
    else out = out date(value, c)
  }
  print out
}
