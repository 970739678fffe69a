# Dovecot for the e2e scripts: a POP3 server on 127.0.0.1:110 (the script
# runs in a network namespace of its own), serving three fixtures to
# $account_user as the unprivileged $mail_user from $maildir. Sourced after
# common.sh, once `work` and `fixtures` are set.

readonly mail_user=tessaro-mail
readonly account_user=ivan.petrov
readonly account_password='S3cret pass#1'
readonly maildir=$work/mail/$account_user/Maildir

start_dovecot() {
  local uid gid
  uid=$(id -u "$mail_user") || fail "user $mail_user is missing: run scripts/install-deps"
  gid=$(id -g "$mail_user")
  printf '%s:{PLAIN}%s::::::\n' "$account_user" "$account_password" >"$work/users"
  cat >"$work/dovecot.conf" <<EOF
protocols = pop3
listen = 127.0.0.1
base_dir = $work/run
state_dir = $work/state
log_path = $work/dovecot.log
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
first_valid_uid = 1
default_internal_user = dovecot
default_login_user = dovenull
mail_location = maildir:~/Maildir
passdb {
  driver = passwd-file
  args = scheme=PLAIN $work/users
}
userdb {
  driver = static
  args = uid=$uid gid=$gid home=$work/mail/%u
}
service pop3-login {
  chroot =
  inet_listener pop3 {
    port = 110
  }
  inet_listener pop3s {
    port = 0
  }
}
service anvil {
  chroot =
}
service imap-login {
  chroot =
}
EOF
  # Names that sort in mailbox order, which is the order Dovecot numbers in.
  local number=0 fixture
  mkdir -p "$maildir"/{cur,new,tmp}
  for fixture in plain_koi8r_encoded_headers encoded_word_file_name mixed_text_and_named_base64; do
    cp "$fixtures/$fixture.eml" "$maildir/cur/$((1700000000 + number)).M${number}P1.e2e:2,"
    number=$((number + 1))
  done
  chown -R "$uid:$gid" "$work/mail"
  dovecot -F -c "$work/dovecot.conf" >"$work/dovecot.out" 2>&1 &
  pids+=($!)
  wait_until 10 "Dovecot on 127.0.0.1:110" bash -c 'exec 2>/dev/null 3<>/dev/tcp/127.0.0.1/110'
}

# all_read_once PID: the program has read the whole mailbox, and fails the
# test at once when it has ended instead.
all_read_once() {
  alive "$1" || fail "tessaro ended at start"
  grep -q "Logged out top=3/[0-9]*, retr=3/" "$work/dovecot.log"
}

# Dovecot logs each session's end with its counts.
sessions_ended() { grep -c "Logged out" "$work/dovecot.log" || true; }
more_sessions_than() { (($(sessions_ended) > $1)); }
