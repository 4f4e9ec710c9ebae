-- Operators' sign-in: the password as a salted slow hash ("pbkdf2-sha256$count$salt$digest",
-- never the password), the failed attempts in a row, and until when the operator is
-- locked after too many of them (kept here so a restart does not unlock him).
-- A file of its own: a database made before operators had passwords lacks this table,
-- and opening it runs this same file to add it (src/schema/schema_upgrade.cpp).

begin tran

create table vt_sys_user_login (
  id int identity(1,1) primary key,
  orgid varchar(20) not null,
  czy_id int not null,
  pwdhash varchar(200) not null,
  failcount int default 0,
  lockuntil datetime,
  pwdtime datetime default getdate()
)
create unique index ux_vt_sys_user_login on vt_sys_user_login(orgid, czy_id)

commit tran
