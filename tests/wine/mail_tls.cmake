# Both mail clients through zenk32.dll's exports with TLS: aiosmtpd with
# STARTTLS, TLS from the first byte and AUTH, Dovecot with STLS and its TLS
# port, and scripted peers for the refusals (tests/peers/mail_tls_peers.py
# makes the CA and certificates with openssl and checks what arrived).
zenk_add_wine_test(NAME mail_tls_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mail_tls_test.cpp
  LIBS zenk32_import user32
  TIMEOUT 90
  RUNNER /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/mail_tls_peers.py run)

# zenkmail send and fetch with the secure-mail options, as a user runs them.
zenk_add_zenkmail_test(NAME zenkmail_tls TIMEOUT 90
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/mail_tls_peers.py run
          /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/zenkmail_tls_check.py)
# Both use the same addresses.
foreach(test wine.mail_tls_test wine.zenkmail_tls)
  if(TEST ${test})
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK secure_mail_peers)
  endif()
endforeach()
